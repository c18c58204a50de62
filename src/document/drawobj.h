#pragma once
// A drawing object: a rectangle in document units with a kind, a selection state, the view
// it was last drawn under, the screen areas waiting to be repainted and a record format.
// Shapes, texts, pictures, symbols and lines derive from it; alone it draws a placeholder.

#include "document/alphabitmap.h"
#include "document/rectmath.h"

#include <QIODevice>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class Tcanvas;
class Tundolevel;

// Change kinds announced before a change is applied.
enum TChangeKind : uint8_t {
    ckDeleted = 0,
    ckAdded = 1,
    ckGeometry = 2,
    ckProperty = 3,
    ckReset = 4,
};

// The type code each kind of object is stored under (255 ends an object list).
enum TObjectType : uint8_t {
    otPlain = 0,
    otShape = 1,
    otText = 2,
    otPicture = 3,
    otSymbol = 4,
    otLine = 5,
    otCode = 6,
};

// Handle codes: edge bits that a drag moves.
enum THandleCode : int32_t {
    hcNone = 0,
    hcLeft = 1,
    hcRight = 2,
    hcTop = 4,
    hcBottom = 8,
    hcTopLeft = hcTop | hcLeft,
    hcTopRight = hcTop | hcRight,
    hcBottomLeft = hcBottom | hcLeft,
    hcBottomRight = hcBottom | hcRight,
};

// The editor's tools. Each one's number is its image on the tool bar and the tag of its panel in
// the tool window.
enum class TTool : int32_t {
    Select = 0,
    Text = 1,
    Image = 2,
    Shape = 3,
    Symbol = 4,
    Line = 5,
    Zoom = 6,
    ZoomOut = 7,
    Alignment = 8,
    Code = 9,
};

// A tool's number, as the tool bar's images and the tool window's panels count.
constexpr int32_t ToolNumber(TTool tool)
{
    return static_cast<int32_t>(tool);
}

// The smallest side SetBounds leaves an object with, in document units.
constexpr int32_t MinObjectSize = 20;

// The bounds read from a record lie within -MaxCoordinate .. MaxCoordinate (16,777 inches each
// way from the page's corner, far beyond any label).
constexpr int32_t MaxCoordinate = 1 << 24;

// The largest side of a buffer that holds one colour all over (the plain object's overhang).
constexpr int32_t MaxUniformBufferSide = 512;

// The file format version a file is written in, and the one a file holding a code needs.
constexpr int32_t BaseFileVersion = 2;
constexpr int32_t CodeFileVersion = 3;

// The ten characters after the type code in every record header.
inline constexpr char RecordSignature[] = "New objv2 ";
constexpr int RecordSignatureLength = 10;

class Tdrawobj {
public:
    Tdrawobj();
    virtual ~Tdrawobj();
    Tdrawobj(const Tdrawobj &) = delete;
    Tdrawobj &operator=(const Tdrawobj &) = delete;

    int32_t Left() const { return Bounds.Left; }
    int32_t Top() const { return Bounds.Top; }
    int32_t Width() const { return Bounds.Right - Bounds.Left; }
    int32_t Height() const { return Bounds.Bottom - Bounds.Top; }
    int32_t ScreenWidth() const;
    int32_t ScreenHeight() const;
    int32_t ScreenLeft() const { return DocToScreen(Bounds.Left, true); }
    int32_t ScreenTop() const { return DocToScreen(Bounds.Top, false); }
    int32_t DocToScreen(int32_t value, bool across) const;
    int32_t ScreenToDoc(int32_t pixel, bool across) const;

    void SetWidth(int32_t w);
    void SetHeight(int32_t h);
    void SetLeft(int32_t x);
    void SetTop(int32_t y);
    void SetSelected(bool value);
    bool IsSelected() const { return Selected; }
    void ReportChange();
    void BeginChange(uint8_t kind, const QString &name);
    void ClearUndoName();

    void StartTiming();
    void StopTiming();
    void ResumeTiming();

    // The record framed by its byte length (int32), as files and copies hold it.
    void WriteRecordBlock(QIODevice &stream) const;
    // Reads one framed record, or skips it. The length is never trusted beyond what the
    // stream holds, so a damaged record cannot consume memory or the records after it.
    // False when the length lies: negative, or running past the end of the stream (what
    // the stream holds of the record is read all the same); and when a field inside the
    // record runs past its end (the object keeps the fields read before that one).
    bool ReadRecordBlock(QIODevice &stream, bool skip);

    // Base
    virtual void SetDraft(bool value);
    virtual TRect GetInvalidRect() const;
    // The size a new object of its kind takes on a label labelWidth document units wide.
    virtual TPoint GetDefaultSize(int32_t labelWidth) const
    {
        (void)labelWidth;
        return DefaultSize;
    }
    virtual bool KeepsAspect() const { return AspectLockDefault; }
    virtual TRect GetScreenRect() const;
    virtual void SetScreenRect(const TRect &r);
    virtual TRect GetBounds() const { return Bounds; }
    virtual void DrawSelection(Tcanvas &canvas, TTool tool);
    // What the editor shows over an object on screen and never prints (a text's overset mark),
    // drawn after every object and its selection.
    virtual void DrawScreenMarks(Tcanvas & /*canvas*/) {}
    virtual bool IsPickable(TTool tool) const;
    virtual bool ShowsHandles(TTool tool) const;
    virtual void ResetCaches() {}
    virtual void ResetAspect();
    virtual bool CanCopy() const { return false; }
    virtual bool CanPaste() const { return false; }
    virtual void Changed() { ReportChange(); }
    virtual void SetBounds(const TRect &rect);
    virtual void PasteFromClipboard(int32_t /*format*/) {}
    virtual void CopyToClipboard(int32_t /*format*/) {}
    virtual void SetView(const TRect &viewport, double scale);
    virtual void DrawDraft(Tcanvas &canvas, const TRect &clip, const TRect &viewport, double scale);
    virtual void Draw(Tcanvas &canvas, const TRect &clip, bool output, const TRect &viewport, double scale);
    virtual void DrawOverhang(Tcanvas &canvas, const TRect &clip, const TRect &labelRect,
                              const TRect &viewport, double scale);
    virtual void SaveToUndo(Tundolevel &level) const;
    virtual void LoadFromUndo(Tundolevel &level);
    virtual void WriteToStream(QIODevice &stream) const;
    virtual void ReadFromStream(QIODevice &stream);
    virtual uint8_t GetTypeCode() const { return 0; }
    // The lowest file format version that keeps this object: older readers know nothing of
    // newer kinds, and refuse such a file whole rather than lose the object silently.
    virtual int32_t FileVersionNeeded() const { return BaseFileVersion; }
    // The fields its text or data holds, as written ("${lot}"), filled per label when a run
    // prints (document/fields.h).
    virtual QStringList Fields() const { return {}; }
    // Why the object cannot be printed, for the user; empty when it can.
    virtual QString PrintProblem() const { return {}; }
    virtual bool ContainsPoint(const TPoint &p) const;
    virtual int32_t HandleAt(const TPoint &p) const;

    // The eight handle centres in drawing order: top-left, bottom-right, bottom-left,
    // top-right, left-middle, right-middle, top-middle, bottom-middle.
    struct THandlePoint {
        TPoint Point;
        int32_t Code;
    };
    std::array<THandlePoint, 8> HandlePoints() const;
    // The square a handle around p covers, in canvas rectangle form (Right and Bottom excluded):
    // HandleSize at the screen's scale (HandleScale).
    TRect HandleRect(const TPoint &p) const;
    int32_t ScaledHandleSize() const;
    // How far beside its square a handle still takes a click.
    static int32_t ScaledHandleReach();

    int32_t Id;
    double AspectRatio = 1.0;
    std::function<void(Tdrawobj *)> OnSelectedChange;
    std::function<void(Tdrawobj *, uint8_t)> OnBeforeChange;
    uint8_t LastChangeKind = ckReset;
    bool Modified = false;
    QString ChangeName;
    double ViewScale = 0.0;
    TRect Viewport;
    TRect Bounds;
    bool Selected = false;
    std::function<void(Trectlist &)> OnInvalidate;
    int32_t ZIndex = 0;
    bool Draft = false;
    TPoint DefaultSize{1000, 1000};
    bool PendingRepaint = false;
    QString Hint;
    bool AspectLockDefault = true;
    int32_t DrawTime = 0;
    int32_t TimingStart = 0;
    Trectlist InvalidRects;
    int32_t HandleInflate = 0;
    int32_t HandleSize = 8;
    Talphabitmap OverhangBuffer;
    TPoint DragOffset;
    // The owning document's units per inch across and down; the object itself does not read them.
    double UnitsPerInchX = 0.0;
    double UnitsPerInchY = 0.0;
    // Accumulated by the painter while it decides on draft drawing.
    int32_t DraftTime = 0;

protected:
    // Takes the whole record (its bounds included) that a copy put on the clipboard under the
    // private format; nothing when the clipboard holds none.
    void PasteRecord(int format);

    // The version of the record header last read: 0 for the oldest header, 2 for the current.
    int32_t RecordVersion = 2;

private:
    void AddInvalidArea();
};
