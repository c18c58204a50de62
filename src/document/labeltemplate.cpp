#include "document/labeltemplate.h"

void tlabeltemplate::SetLabelHeight(double inches)
{
    Tdrawlist::SetLabelHeight(inches);
    Resized();
}

void tlabeltemplate::SetLabelWidth(double inches)
{
    Tdrawlist::SetLabelWidth(inches);
    Resized();
}

void tlabeltemplate::Resized()
{
    if (OnResize)
        OnResize(this);
}
