#include "document/labeltemplate.h"

#include "platform/scopedvalue.h"
#include "platform/streams.h"
#include "platform/stringstream.h"

#include <QBuffer>
#include <algorithm>

namespace {
// A description of this length or more is not one: the file is damaged there.
constexpr int32_t DescriptionLimit = 1048575;
} // namespace

tlabeltemplate::tlabeltemplate() = default;

tlabeltemplate::~tlabeltemplate() = default;

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
    // The starter objects lie on the template's label: they are drawn from its corner.
    StarterObjects.SetLabelRect(GetLabelRect());
    if (OnResize)
        OnResize(this);
}

QByteArray tlabeltemplate::GetSignature() const
{
    return AsProject ? Tdrawlist::GetSignature() : QByteArrayLiteral("vntempl_v1");
}

QString tlabeltemplate::GetDefaultExt()
{
    return QStringLiteral("wlt");
}

QString tlabeltemplate::GetFileFilter()
{
    return QStringLiteral("Wine Label Template (*.wlt)|*.wlt");
}

int32_t tlabeltemplate::FileVersionNeeded() const
{
    return std::max(Tdrawlist::FileVersionNeeded(), StarterObjects.FileVersionNeeded());
}

void tlabeltemplate::SaveToStream(QIODevice &stream)
{
    Tdrawlist::SaveToStream(stream);
    StarterObjects.SaveObjects(stream);
    Geometry.SaveToStream(stream);
    const QByteArray description = EncodeFileText(Title);
    WriteInt32(stream, static_cast<int32_t>(description.size()));
    WriteBytes(stream, description);
}

int32_t tlabeltemplate::LoadFromStream(QIODevice &stream)
{
    const int32_t result = Tdrawlist::LoadFromStream(stream);
    stream.seek(result);
    StarterObjects.ClearObjects();
    Geometry.Clear();
    // After a header of another kind of file the rest is not a template's either: the
    // template stays empty. A project read as a template has no template sections to miss.
    if (HeaderLoaded) {
        QString reason;
        bool whole = true;
        if (FileVersion >= 2)
            whole = StarterObjects.LoadObjects(stream, &reason);
        const Tlabelgeometrylist::TSectionRead sheet = Geometry.LoadFromStream(stream);
        whole = whole && sheet != Tlabelgeometrylist::TSectionRead::Damaged;
        if (Geometry.Count() > 0) {
            SetLabelWidth(Geometry.GetSpot(0)->SpotWidth);
            SetLabelHeight(Geometry.GetSpot(0)->SpotHeight);
        }
        // Every writer ends the sheet with the description. After a count of too many spots the
        // spots themselves lie where it is read from, so what is found there says nothing of
        // damage.
        const bool judged = sheet == Tlabelgeometrylist::TSectionRead::Whole;
        int32_t length = 0;
        if (Remaining(stream) > 0 && ReadInt32(stream, length) && length >= 0 && length < DescriptionLimit) {
            whole = whole && (!judged || Remaining(stream) >= length);
            Title = DecodeFileText(ReadBytes(stream, length));
        } else if (judged) {
            whole = false;
        }
        if (FileVersion == 0) {
            ClearThumbnail();
            ThumbnailStream.buffer() = ReadBytes(stream, Remaining(stream));
            ThumbnailStream.seek(0);
        }
        if (!whole && !AsProject)
            ReportDamagedFile(reason);
    }
    stream.seek(0);
    SetDraftAll(false);
    Invalidate(true);
    return result;
}

void tlabeltemplate::LoadProjectAsTemplate(const QString &path)
{
    const TScopedValue<bool> asProject(AsProject, true);
    LoadFromFile(path);
}
