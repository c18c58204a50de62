#include "widgets/mousecapimage.h"

bool Tmousecapimage::GetMousecapture() const
{
    return QWidget::mouseGrabber() == this;
}

void Tmousecapimage::SetMousecapture(bool v)
{
    if (v)
        grabMouse();
    else if (GetMousecapture())
        releaseMouse();
}
