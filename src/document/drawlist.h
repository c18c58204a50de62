#pragma once
// A label document: drawing objects in painting order (index 0 at the bottom) around the
// label rectangle, with the selection, hit testing, z-order, the template it is printed on,
// the dirty screen rectangles waiting for a paint and copying between documents.

#include "document/alphabitmap.h"
#include "document/drawobj.h"
#include "document/rectmath.h"
#include "document/undolevel.h"

#include <QBuffer>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Tcanvas;
class Tfiledialog;
struct TFieldValues;
class Tthreadtimer;
class Ttextlayout;
class tlabeltemplate;

// Document units to pixels and back under a scroll offset and a scale.
int32_t DocToPixel(int32_t value, int32_t offset, double scale);
int32_t PixelToDoc(int32_t pixel, int32_t offset, double scale);

// What loading a file that is not this kind of document shows.
extern const QString LoadFailedMessage;
// What loading a file of this kind in a format version above NewestFileVersion shows.
extern const QString NewerVersionMessage;
// The newest file format version this program reads: 3, a file that holds codes.
constexpr int32_t NewestFileVersion = CodeFileVersion;

// The step of MoveInOrder that brings to the front.
constexpr int32_t ToFront = 2147483647;
// The dirty rectangle that stands for the whole area.
constexpr TRect WholeArea{0, 0, 2147483647, 2147483647};

class Tdrawlist {
public:
    Tdrawlist();
    virtual ~Tdrawlist();
    Tdrawlist(const Tdrawlist &) = delete;
    Tdrawlist &operator=(const Tdrawlist &) = delete;

    int32_t Count() const { return static_cast<int32_t>(Objects.size()); }

    // Base
    virtual void Clear();
    Tdrawobj *GetObject(int32_t index) const { return Objects[index].get(); }
    virtual void InsertObject(int32_t index, std::unique_ptr<Tdrawobj> object);
    virtual int32_t AddObject(std::unique_ptr<Tdrawobj> object);
    virtual void SetLabelHeight(double inches);
    virtual void SetLabelWidth(double inches);
    virtual int32_t SelectedHandleAt(const TPoint &p, Tdrawobj *&object) const;

    // Removes the object at index without freeing it.
    std::unique_ptr<Tdrawobj> Extract(int32_t index);
    // Removes and frees the object at index.
    void RemoveObject(int32_t index);

    int32_t IndexOfObject(const Tdrawobj *object) const;
    Tdrawobj *FindById(int32_t id) const;
    void Renumber();
    void ClearObjects();
    void SetLabelRect(const TRect &rect);
    double UnitsPerInchX() const;
    double UnitsPerInchY() const;
    void SetTemplate(tlabeltemplate *t);
    void TemplateResized();
    void SetFileName(const QString &name);
    void SetModified(bool flag);
    void SetDocumentView(const TRect &viewport, double scale);

    int32_t SelectedCount() const;
    Tdrawobj *GetSelected(int32_t n) const;
    int32_t GetSelectedPos(int32_t n) const;
    int32_t GetSelectedIndex() const;
    Tdrawobj *GetSelectedObject() const;
    void SelectObject(Tdrawobj *x);
    void SelectIndex(int32_t k);
    void SelectAll();
    // The selected objects of one class, in list order.
    template <class T> std::vector<T *> SelectedOfKind() const
    {
        std::vector<T *> list;
        for (const auto &o : Objects)
            if (o->IsSelected())
                if (T *t = dynamic_cast<T *>(o.get()))
                    list.push_back(t);
        return list;
    }
    // Appends the selected objects in list order, setting each ZIndex to its position here.
    void CollectSelected(std::vector<Tdrawobj *> &list) const;
    bool DeleteSelected();
    Tdrawobj *SelectedAt(const TPoint &p) const;
    Tdrawobj *ObjectAt(const TPoint &p, bool skipSelected) const;
    int32_t MoveInOrder(Tdrawobj *object, int32_t step, int32_t base, bool absolute);
    void CopyObjects(const Tdrawlist &source, bool selectedOnly);
    // Every text box's text becomes its prompt and the box is emptied (a new project from a
    // template).
    void MakePlaceholders();
    // The cache limit of every picture (0: none).
    void SetPictureCacheLimit(int32_t limit);
    // The fields the objects' texts and data hold, as written, once each in list order.
    QStringList Fields() const;

    // What reading one object list entry met.
    enum class TEntry : uint8_t {
        Object,    // an object with its whole record
        Cut,       // an object, but its record's length lies (runs past the end of the stream)
        Failed,    // a record that cannot be read (a damaged picture), reported: no object
        EndOfList, // the list's end mark 255: no object
        Broken,    // the end of the stream or a code no object has: no object
    };
    // One object list entry: the type code byte and the framed record. A record that cannot
    // be read gives no object, but the frame around it lets the entries after it be read. Why
    // an object could not be made or read goes to reason when one is given (the caller reports
    // it); without one it is shown to the user here.
    static std::unique_ptr<Tdrawobj> ReadObject(QIODevice &stream, TEntry *entry = nullptr,
                                                QString *reason = nullptr);

    // Files. A project file is the header and one object list; a template file adds its own
    // sections (tlabeltemplate). Both are read in every version from 0 to 3 and written in 2,
    // or in 3 when they hold an object that needs it (a code); the header is the same in both.
    // The ten signature bytes: "vnlabel_v1" for a project.
    virtual QByteArray GetSignature() const;
    static QString GetDefaultExt();
    static QString GetFileFilter();
    // The version a file of this document is written in: the highest its objects need.
    virtual int32_t FileVersionNeeded() const;
    // Writes the version, the signature, a fresh thumbnail, the title, the size text and the
    // template reference.
    void SaveHeader(QIODevice &stream);
    // Reads the header of any accepted version; false when the version or the signature's
    // first eight bytes are not this document's (FromNewerVersion tells a file of this kind
    // whose version is newer than this program's).
    bool LoadHeader(QIODevice &stream);
    // Every object as its type code and framed record, bottom first, then the end mark 255.
    void SaveObjects(QIODevice &stream);
    // Reads an object list into this document (no undo recorded), moving objects stored under
    // the old coordinate origin onto the current one. False when the list is damaged: it ends
    // before its end mark, or a record in it lies about its length or cannot be read; the
    // objects read up to there stay. Why the first record that could not be read failed goes
    // to reason, when one is given.
    bool LoadObjects(QIODevice &stream, QString *reason = nullptr);
    // Replaces the stream's content with this document.
    virtual void SaveToStream(QIODevice &stream);
    // Replaces this document with the stream's content, then looks for the template the file
    // names (asking the user where it is when it cannot be found) and loads it into the attached
    // template. Returns the position after the object list. A damaged file loads what can be
    // read, warns the user and leaves the document modified, so nothing silently replaces the
    // file with the part that loaded.
    virtual int32_t LoadFromStream(QIODevice &stream);
    // Whether the file begins with the header of this kind of document in a version this
    // program reads, so that loading it can replace this document; nothing here changes. A file
    // that cannot be opened raises EOSError, as loading it would.
    bool IsOwnFile(const QString &path) const;
    // Why loading the file cannot replace this document (the message loading it would show),
    // or empty when it can. A file that cannot be opened raises EOSError.
    QString LoadRefusal(const QString &path) const;
    // False for an empty file, which leaves the document as it was but for its file name.
    // A file that cannot be opened raises EOSError.
    bool LoadFromFile(const QString &path);
    // Writes the whole file beside the old one and replaces it only when complete: a failure
    // raises EOSError naming the file and the system's cause, and leaves the old file, the
    // document and its file name as they were.
    void SaveToFile(const QString &path);
    // Title, or the attached template's title when Title is blank.
    QString GetTitle() const;
    // The open and save dialogs: filter, extension, title and first folder for projects.
    static void SetupFileDialog(Tfiledialog &dialog);
    // The open dialog's preview: the thumbnail of the file being browsed, with its size and
    // version in the caption.
    static void PreviewFile(Tfiledialog *dialog, bool &drawn);
    // Draws the thumbnail of the file path names into rect of canvas (when given) with the
    // caption " (4.00x3.50) v2" under it, and gives the file's title as the user is shown it
    // (ShownFileText, as the size in the caption); false, leaving rect
    // filled in button face, when there is no such file or it cannot be read.
    static bool DrawFilePreview(const QString &path, Tcanvas *canvas, QString &title, const TRect &rect);
    // Blends tint's colour (its low three bytes) over rect at the constant alpha of its top byte;
    // nothing for a tint of 0.
    static void TintRect(Tcanvas &canvas, const TRect &rect, uint32_t tint);

    // Undo. Every announced change of an object is recorded as a level before it is applied;
    // the levels between two closings of the group undo together, the newest 40 groups kept.
    void BeginUpdate();
    void EndUpdate();
    int32_t BeginUndoGroup();
    int32_t EndUndoGroup();
    void CloseUndoGroup();
    void Undo();
    // Applies again the group undone last; a new change drops what was undone.
    void Redo();
    Tundolist &GetUndoList() { return UndoList; }

    // Clipboard. Copies the primary selection; true when exactly one object is selected.
    bool CopySelected(bool onlyAsk);
    // Creates an object from what the clipboard holds (text first, then a picture, a shape, a
    // symbol) at point, selected, stepped 100 units away from objects with the same bounds.
    // kind names what it holds ("Text", "Image", "Shape", "Symbol"), empty for nothing usable.
    void Paste(const TPoint &point, bool onlyAsk, QString &kind);

    // Dirty-rectangle bookkeeping: every change adds screen rectangles and raises OnChange.
    void Invalidate(bool all);
    void InvalidateRects(Trectlist &list);
    void ClearInvalid() { InvalidList.SetCount(0); }
    Trectlist &GetInvalidList() { return InvalidList; }

    // Paints the objects bottom to top for each dirty rectangle (merged first) into the
    // canvas, then the editing decorations. offset moves the dirty rectangles and the view
    // into the canvas; scale -1 fits the label's width into the viewport. False, drawing
    // nothing, when this document is already painting.
    bool Paint(Tcanvas &canvas, Trectlist &dirty, const TPoint &offset, TRect viewport, double scale);
    bool PaintRect(Tcanvas &canvas, const TRect &rect, const TPoint &offset, const TRect &viewport,
                   double scale);
    double FitScale(const TRect &viewport) const;
    // The label grown by 1/16 inch, in pixels under the view (without OutputOrigin).
    TRect LabelScreenRect(const TRect &viewport, double scale) const;
    // The scrollable range in pixels under the last scale, without scroll offset.
    int32_t ExtentLeft() const;
    int32_t ExtentTop() const;
    int32_t ExtentRight() const;
    int32_t ExtentBottom() const;
    // Draft timing: while a paint takes longer than budget milliseconds, slow objects fall
    // back to draft drawing; DraftAll draws every object in draft until the draft timer ends it.
    void StartDraftTiming(int32_t budget);
    void SetDraftAll(bool flag) { DraftAll = flag; }
    void DraftTimerTick();
    bool DraftTimerEnabled() const;
    // The crop marks at the label's corners and its size; with outline, its edge too.
    void DrawLabelSize(Tcanvas &canvas, const TRect &viewport, double scale, bool outline);

    // The thumbnail files carry: the label painted at ThumbnailWidth pixels wide in output
    // mode over its template, kept as PNG bytes in ThumbnailStream.
    void MakeThumbnail();
    // The thumbnail decoded from ThumbnailStream; empty when there is none or it is damaged.
    const QImage &GetThumbnail();
    void ClearThumbnail() { ThumbnailBitmap = QImage(); }

    const TRect &GetLabelRect() const { return LabelRect; }
    double GetLabelWidth() const { return LabelWidth; }
    double GetLabelHeight() const { return LabelHeight; }
    tlabeltemplate *GetTemplate() const { return Template; }
    const QString &GetFileName() const { return FileName; }
    const QString &GetFullPath() const { return FullPath; }
    bool IsModified() const { return DocumentModified; }

    // The painter is at work (a second paint meanwhile is refused).
    bool IsPainting() const { return Painting; }
    // Some object was drawn in draft form since draft timing last started.
    bool IsDraftActive() const { return DraftActive; }
    bool IsDraftAll() const { return DraftAll; }
    // The scale of the last paint, which the extents and new objects' views use.
    double GetLastScale() const { return LastScale; }
    // The label as the last PaintSheet rendered it.
    const Talphabitmap &GetLabelCache() const { return LabelCache; }

    // This document as a template, or nullptr for a project.
    virtual tlabeltemplate *AsTemplate() { return nullptr; }
    const tlabeltemplate *AsTemplate() const { return const_cast<Tdrawlist *>(this)->AsTemplate(); }

    // Each document event holds one handler; the editor window is the only subscriber of its
    // project's OnSelect and OnChange and hands them on to the other windows.
    std::function<void(Tdrawobj *)> OnSelect;
    std::function<void(Tdrawlist *)> OnChange;

    bool DocumentModified = false;
    QBuffer ThumbnailStream;
    QImage ThumbnailBitmap;
    QString TemplateFile;
    bool ShowOverhang = false;
    bool OutputMode = false;
    // What the objects fill their fields from while this document paints (one label of a run,
    // or the first one when the editor shows data); nullptr shows fields as written.
    const TFieldValues *Fill = nullptr;
    TTool Tool = TTool::Select;
    bool ShowLabelSize = false;
    // Marks that only the editor shows (a text's overset mark) are drawn over the objects.
    bool ShowScreenMarks = false;
    int32_t FileVersion = 0;
    // The last header read was this kind of document's in a version newer than NewestFileVersion.
    bool FromNewerVersion = false;
    QString Title;
    QString SizeText;
    // The last load met damage and left part of the file out (the user was warned).
    bool LoadDamaged = false;

protected:
    // Handlers installed in every object added.
    void ObjectSelected(Tdrawobj *object);
    void RecordUndo(Tdrawobj *object, uint8_t kind);

    struct TUndoing;
    void WireEvents(Tdrawobj &object);
    // The object a level's bytes describe, read from offset 1 (its type code at offset 0) as a
    // record of the given change kind.
    static std::unique_ptr<Tdrawobj> ObjectFromLevel(uint8_t kind, const QByteArray &bytes,
                                                     const QImage &image);

    // Looks for the file TemplateFile names and loads it into the attached template.
    void FindTemplate();
    // Loading met damage: the user is warned once per load, with the reason when one is known
    // (a picture that cannot be read), and the document is modified.
    void ReportDamagedFile(const QString &reason = QString());

    std::vector<std::unique_ptr<Tdrawobj>> Objects;
    // The last LoadFromStream found a header of this kind of document.
    bool HeaderLoaded = false;
    TRect LabelRect;
    Trectlist InvalidList;
    tlabeltemplate *Template = nullptr;
    QString FileName;
    QString FullPath;
    double LabelHeight = 0.0;
    double LabelWidth = 0.0;

private:
    friend bool PaintSheet(Tdrawlist &, const TPoint &, bool, uint32_t, Tcanvas &, double);

    // The newest groups of changes the undo history keeps.
    static constexpr int32_t UndoLimit = 40;

    bool Painting = false;
    bool DraftAll = false;
    // The painter changes an object's draft form where that needs no repaint: reports are
    // dropped meanwhile.
    bool QuietDraftChanges = false;
    Tundolist UndoList{UndoLimit};
    int32_t UndoGroupDepth = 0;
    int32_t UpdateDepth = 0;
    double LastScale = 0.0;
    int32_t DraftBudget = 0;
    bool DraftActive = false;
    int32_t PaintStart = 0;
    mutable int32_t SelectedIndexCache = -1;
    // Interval 750 ms; made when painting first enables it.
    std::unique_ptr<Tthreadtimer> DraftTimer;
    // The usage hint drawn under the label on every paint, laid out once.
    std::unique_ptr<Ttextlayout> HintLayout;
    Talphabitmap LabelCache;
    Talphabitmap SheetCache;
};
