#include "editing/zoom.h"

#include "platform/rnd.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

double ClampZoom(double zoom)
{
    return std::clamp(zoom, MinZoom, MaxZoom);
}

double ZoomOfTrackPosition(int position)
{
    if (position >= 1)
        return (position + 1) / 2.0;
    return 1.0 / std::ldexp(1.0, -position + 1);
}

int TrackPositionOfZoom(double zoom)
{
    int target;
    if (zoom > 1) {
        target = rnd(2 * zoom) - 1;
    } else {
        int n = rnd(1 / zoom);
        int halvings = 0;
        while (n > 1) {
            n /= 2;
            ++halvings;
        }
        target = 1 - halvings;
    }
    return std::clamp(target, ZoomTrackMin, ZoomTrackMax);
}

double ZoomInStep(double zoom)
{
    return ClampZoom(zoom >= 1 ? zoom + 0.5 : zoom * 2);
}

double ZoomOutStep(double zoom)
{
    return ClampZoom(zoom > 1 ? zoom - 0.5 : zoom / 2);
}

QString ZoomText(double zoom)
{
    return QLocale().toString(zoom, 'f', 2) + QLatin1Char('x');
}
