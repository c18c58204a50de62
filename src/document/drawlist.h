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
class Tthreadtimer;
class Ttextlayout;
class tlabeltemplate;

// Document units to pixels and back under a scroll offset and a scale.
int32_t DocToPixel(int32_t value, int32_t offset, double scale);
int32_t PixelToDoc(int32_t pixel, int32_t offset, double scale);

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

    // One object list entry: the type code byte and the framed record. None at the end of
    // the stream, at the list's end mark 255 and for unknown codes.
    static std::unique_ptr<Tdrawobj> ReadObject(QIODevice &stream);

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
    // Crop marks at the label's corners and its size in inches beside them.
    void DrawLabelSize(Tcanvas &canvas, const TRect &viewport, double scale);

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

    bool Painting = false;
    bool DocumentModified = false;
    bool DraftAll = false;
    QBuffer ThumbnailStream;
    QImage ThumbnailBitmap;
    Tundolist UndoList{40};
    int32_t UndoGroupDepth = 0;
    int32_t UpdateDepth = 0;
    QString TemplateFile;
    bool ShowOverhang = false;
    bool OutputMode = false;
    int32_t Tool = tlSelect;
    std::function<void(Tdrawobj *)> OnSelect;
    bool ShowLabelSize = false;
    std::function<void(Tdrawlist *)> OnChange;
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
    int32_t FileVersion = 0;
    QString Title;
    QString SizeText;

protected:
    // Handlers installed in every object added.
    void ObjectSelected(Tdrawobj *object);
    void RecordUndo(Tdrawobj *object, uint8_t kind);

    struct TUndoing;
    void WireEvents(Tdrawobj &object);
    // The object a level's bytes describe, read from offset 1 (its type code at offset 0).
    std::unique_ptr<Tdrawobj> ObjectFromLevel(Tundolevel &level, const QByteArray &bytes,
                                              const QImage &image);

    std::vector<std::unique_ptr<Tdrawobj>> Objects;
    TRect LabelRect;
    Trectlist InvalidList;
    tlabeltemplate *Template = nullptr;
    QString FileName;
    QString FullPath;
    double LabelHeight = 0.0;
    double LabelWidth = 0.0;
};
