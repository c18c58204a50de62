#include "settings/formplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtEndian>
#include <algorithm>

namespace {
const QString WindowStateSuffix = QStringLiteral(".windowstate");
const QString BoundsSuffix = QStringLiteral(".bounds");

QString PrefixFor(const Tplacementtarget &w, const QString &prefix)
{
    return prefix.isEmpty() ? FormPlacementKey(w) : prefix;
}

bool IsAllZero(const TRect &r)
{
    return r.Left == 0 && r.Top == 0 && r.Right == 0 && r.Bottom == 0;
}
} // namespace

QString FormPlacementKey(const Tplacementtarget &w)
{
    return w.OwnerName() + QLatin1Char('.') + w.Name() + QLatin1Char('.') + w.Name();
}

std::array<uint8_t, BoundsRecordSize> BoundsRecord(const TRect &r)
{
    std::array<uint8_t, BoundsRecordSize> record{};
    const int32_t values[] = {r.Left, r.Top, r.Right, r.Bottom};
    for (int i = 0; i < 4; ++i)
        qToLittleEndian<int32_t>(values[i], record.data() + 4 * i);
    return record;
}

TRect BoundsFromRecord(const std::array<uint8_t, BoundsRecordSize> &record)
{
    const auto at = [&](int i) { return qFromLittleEndian<int32_t>(record.data() + 4 * i); };
    return {at(0), at(1), at(2), at(3)};
}

std::vector<TRect> MonitorWorkAreas()
{
    std::vector<TRect> areas;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.push_back(RectFromQRect(screen->availableGeometry()));
    return areas;
}

bool MeetsAMonitor(const TRect &r, const std::vector<TRect> &workAreas)
{
    return std::any_of(workAreas.begin(), workAreas.end(), [&](const TRect &area) {
        return std::max(r.Left, area.Left) < std::min(r.Right, area.Right) &&
               std::max(r.Top, area.Top) < std::min(r.Bottom, area.Bottom);
    });
}

TRect FitInsideWorkArea(const TRect &bounds, const std::vector<TRect> &workAreas)
{
    const int64_t width = int64_t(bounds.Right) - bounds.Left;
    const int64_t height = int64_t(bounds.Bottom) - bounds.Top;
    if (workAreas.empty() || width <= 0 || height <= 0)
        return bounds;
    // The work area the window meets most is the one it belongs on.
    const TRect *best = &workAreas.front();
    int64_t bestArea = 0;
    for (const TRect &a : workAreas) {
        const int64_t w = std::min<int64_t>(bounds.Right, a.Right) - std::max<int64_t>(bounds.Left, a.Left);
        const int64_t h = std::min<int64_t>(bounds.Bottom, a.Bottom) - std::max<int64_t>(bounds.Top, a.Top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = &a;
        }
    }
    const int64_t fitWidth = std::min<int64_t>(width, best->Width());
    const int64_t fitHeight = std::min<int64_t>(height, best->Height());
    const int64_t left = std::clamp<int64_t>(bounds.Left, best->Left, best->Right - fitWidth);
    const int64_t top = std::clamp<int64_t>(bounds.Top, best->Top, best->Bottom - fitHeight);
    return {int32_t(left), int32_t(top), int32_t(left + fitWidth), int32_t(top + fitHeight)};
}

TRect CentredInWorkArea(const TRect &workArea, double share)
{
    const int32_t width = int32_t(workArea.Width() * share);
    const int32_t height = int32_t(workArea.Height() * share);
    const int32_t left = workArea.Left + (workArea.Width() - width) / 2;
    const int32_t top = workArea.Top + (workArea.Height() - height) / 2;
    return {left, top, left + width, top + height};
}

void SaveFormPlacementRect(const Tplacementtarget &w, Tregistry &store, const TRect &r, const QString &prefix)
{
    if (!w.IsForm())
        return;
    const QString key = PrefixFor(w, prefix);
    store.WriteInteger(key + WindowStateSuffix, w.GetWindowState());
    if (w.GetWindowState() != wsNormal)
        return;
    const auto record = BoundsRecord(IsAllZero(r) ? w.GetBounds() : r);
    store.WriteBinaryData(key + BoundsSuffix, record.data(), BoundsRecordSize);
}

void SaveFormPlacement(const Tplacementtarget &w, Tregistry &store, const QString &prefix)
{
    SaveFormPlacementRect(w, store, TRect{0, 0, 0, 0}, prefix);
}

void RestoreFormPlacement(Tplacementtarget &w, Tregistry &store, const QString &prefix)
{
    const QString key = PrefixFor(w, prefix);
    if (w.IsForm()) {
        const int32_t state = store.ReadInteger(key + WindowStateSuffix, -1);
        if (state >= wsNormal && state <= wsMaximized)
            w.SetWindowState(static_cast<TWindowState>(state));
        if (w.GetWindowState() != wsNormal)
            return;
    }
    std::array<uint8_t, BoundsRecordSize> record{};
    if (store.ReadBinaryData(key + BoundsSuffix, record.data(), BoundsRecordSize) != BoundsRecordSize)
        return;
    const TRect bounds = BoundsFromRecord(record);
    if (MeetsAMonitor(bounds, MonitorWorkAreas()))
        w.SetBounds(bounds);
}
