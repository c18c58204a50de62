#pragma once
// The tool window's logic: which property panel shows, the text and shape settings that the
// selected objects and every new object take, the picture preview, the zoom track bar, the hint
// line and the alignment panel. The window shows what this holds and turns its controls into the
// calls below; the editor window drives it through the same calls. Every change of an object
// goes through the object's setters inside one undo group, so each control change is one undo
// step, and a setting equal to the object's own changes nothing.

#include "document/shape.h"
#include "document/text.h"
#include "editing/align.h"
#include "editing/codepanel.h"
#include "platform/gdiobjects.h"
#include "platform/types.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Tdrawlist;
class Tdrawobj;
class Tregistryex;
class Tvnlpic;
class Tvnlshape;
class Tvnltext;

// The property panels, each numbered by the tool whose panel it is (its tag).
enum TToolPanel : int32_t {
    tpNone = -1,         // no property panel shows
    tpSelectCaption = 0, // "* Select an object to edit *"
    tpText = 1,
    tpImage = 2,
    tpShapes = 3,
    tpSymbols = 4,
    tpLine = 5,
    tpZoomIn = 6,
    tpZoomOut = 7,
    tpAlign = 8,
    tpCode = 9,
};

// What the window shows again after a change, as bits.
enum TToolboxArea : uint32_t {
    taPanels = 1, // the property panel, the select panel and the buttons that follow the tool
    taText = 2,   // the text controls and the sample
    taShape = 4,  // the shape controls and their bands
    taImage = 8,  // the preview
    taZoom = 16,  // the track bar and the zoom labels
    taHint = 32,  // the hint line and "Show Hints"
    taAlign = 64, // the alignment panel
    taCode = 128, // the code panel
    taAll = 255,
};

// Ranges of the shape panel's up-down controls.
constexpr int32_t MinSides = 3, MaxSides = 100, InitialSides = 6;
constexpr int32_t MinLineWidth = 1, MaxLineWidth = 32;
constexpr int32_t MinCurve = 0, MaxCurve = 10000, InitialCurve = 10;
// The direction dial's value: a compass bearing in hundredths of a degree.
constexpr int32_t FullTurn = 36000;
// Typed font sizes beyond this many points are ignored, as text that is not a number is.
constexpr int32_t MaxFontPoints = 1000;

// The font size list.
extern const std::array<int32_t, 22> FontSizes;
// The sample under the text controls, and the one each entry of the font list shows.
extern const char *const FontSampleText;
extern const char *const FontListSample;
// The font the sample starts in, and its height (18 points on a 96 dots-per-inch screen).
extern const char *const InitialSampleFontName;
constexpr int32_t InitialSampleFontHeight = -24;
// The caption of the panel shown while nothing is selected.
extern const char *const SelectCaption;
// The settings the tool window keeps.
extern const char *const ShowHintSetting;  // "toolboxshowhint"
extern const char *const ImagePathSetting; // "imagepath"
// The title of the dialog of "Change Image".
extern const char *const LoadImageTitle; // "Load an Image"

// The scalable font families of this machine (those that draw at any size, as TrueType, OpenType
// and Type 1 fonts do), sorted, each once.
QStringList ScalableFontFamilies();
// A font name the sample can take: a family of this machine or one with a substitute.
bool IsUsableFontName(const QString &name);

// The bearing of a drag on the direction dial, dx and dy from where the button went down, in
// hundredths of a degree: up 0, right 9000, down 18000, left 27000; 0 for no movement.
int32_t DialBearing(int32_t dx, int32_t dy);
// The dial's pointer in a w by h dial pointing at value: the tip, then the two back corners.
std::array<TPoint, 3> DialPointer(int32_t w, int32_t h, int32_t value);
// Where the preview shows an image within box: as large as fits with its proportions, at the
// bottom right of the box (the top right when the select panel is laid out vertically).
TRect PreviewRect(const QSize &image, const TRect &box, bool vertical);
// What the text panel says of a text box whose text is cut: "Text does not fit: 3 lines are
// hidden" (one line is "1 line is hidden").
QString OversetMessage(int32_t hiddenLines);
// A hint with each two-character "\n" turned into a line break.
QString HintText(const QString &hint);
// The figure a choice in the figure list stands for: no choice (-1) is the ellipse, and a choice
// past the list stands for none.
std::optional<TShapeStyle> FigureOfChoice(int32_t choice);

class Ttoolbox {
public:
    // store holds "toolboxshowhint" and "imagepath"; it must outlive this.
    explicit Ttoolbox(Tregistryex &store);
    Ttoolbox(const Ttoolbox &) = delete;
    Ttoolbox &operator=(const Ttoolbox &) = delete;

    // The editor's document (not owned). Without one the controls change only the settings new
    // objects receive.
    void SetDocument(Tdrawlist *doc)
    {
        Document = doc;
        CodePanel.SetDocument(doc);
    }
    Tdrawlist *GetDocument() const { return Document; }

    // To the editor window: make a tool current ("Add To Label" selects the Select tool), the text style
    // changed (after every ApplyTextStyle), move the zoom's track position (the editor zooms and
    // shows its zoom here through ShowZoom).
    std::function<void(TTool tool)> OnSelectTool;
    std::function<void()> OnTextStyleChange;
    std::function<void(int32_t trackPosition)> OnTrackMoved;
    // To the window: what it shows changed (TToolboxArea bits).
    std::function<void(uint32_t areas)> OnViewChange;

    // ---- Panels and tools
    // The tool window's part of making a tool current: the panel of the tool shows (none for the
    // Select tool while something is selected; the caption panel with nothing selected), the
    // select panel shows only for Select, "Square Sides" only for Select, "Add To Label" only for
    // the image tool and "Reset Aspect" for every other tool.
    void SelectTool(TTool tool);
    // The tool window's part of the editor's reaction to a new primary selection under the Select
    // tool: a picture's image goes to the preview, a text's or shape's style is loaded, and the
    // panel of its kind shows with the select panel small; none shows the caption panel with the
    // select panel large.
    void ShowSelection(Tdrawobj *object);
    // The property panel that shows (a TToolPanel), one at a time.
    int32_t GetPanel() const { return Panel; }
    void ShowPanel(int32_t panel);
    void HideAllPanels() { ShowPanel(tpNone); }
    bool IsSelectPanelVisible() const { return CurrentTool == TTool::Select; }
    // The select panel: vertical (a column at the left, the icon at the bottom) or horizontal (a
    // row at the top, the icon at the right); expanded while nothing is selected.
    void SetSelectLayout(bool vertical);
    bool GetSelectVertical() const { return SelectVertical; }
    void SetSelectExpanded(bool expanded);
    bool IsSelectExpanded() const { return SelectExpanded; }
    bool IsSquareSidesVisible() const { return CurrentTool == TTool::Select; }
    bool IsAddToLabelVisible() const { return CurrentTool == TTool::Image; }
    bool IsResetAspectVisible() const { return CurrentTool != TTool::Image; }

    // ---- Text: the sample's font and alignment are the style new and selected texts take.
    const Tfont &GetSampleFont() const { return SampleFont; }
    THorizontalAlign GetSampleHAlign() const { return SampleHAlign; }
    TVerticalAlign GetVAlignSetting() const { return VAlignSetting; }
    // The sample takes the text's font and shown alignment, which then go to every selected text
    // (so selecting an empty box gives it centred, middle alignment).
    void LoadTextStyle(const Tvnltext &text);
    // Gives the sample's style to text (a new text box), or with none to every selected text.
    void ApplyTextStyle(Tvnltext *text);
    // The font list: false, keeping the old name, when name is not a font of this machine.
    bool SetFontName(const QString &name);
    // The size box: a whole number of points; other text is ignored.
    void SetFontSizeText(const QString &text);
    // Bold, italic, underline: one of fsBold, fsItalic, fsUnderline.
    void SetFontStyle(uint8_t bit, bool on);
    // The alignment buttons; an alignment the buttons do not show is refused.
    void SetHAlign(THorizontalAlign align);
    void SetVAlign(TVerticalAlign align);
    void SetTextColor(TColor color);
    // "Text does not fit: n lines are hidden" while the selected text box's text is cut at its
    // bottom on screen; empty otherwise. Looked at again after every paint (TextMeasured).
    const QString &GetOversetText() const { return OversetText; }
    void TextMeasured();

    // ---- Shape: the shape panel's controls are the style new and selected shapes take.
    TShapeStyle GetFigure() const { return Figure; }
    int32_t GetSides() const { return Sides; }
    // The dial's bearing in hundredths of a degree, and the number box's text.
    int32_t GetDirection() const { return Direction; }
    const QString &GetDirectionText() const { return DirectionText; }
    int32_t GetCurveX() const { return CurveX; }
    int32_t GetCurveY() const { return CurveY; }
    int32_t GetLineWidth() const { return LineWidth; }
    TColor GetLineColor() const { return LineColor; }
    TColor GetFillColor() const { return FillColor; }
    bool GetDrawLine() const { return DrawLine; }
    bool GetDrawFill() const { return DrawFill; }
    // The bands that follow the figure and the check boxes.
    bool IsSidesBandVisible() const { return Figure == TShapeStyle::Polygon; }
    bool IsDirectionBandVisible() const { return Figure == TShapeStyle::Polygon; }
    bool IsCurveBandVisible() const { return Figure == TShapeStyle::RoundRect; }
    bool AreLineControlsVisible() const { return DrawLine; }
    bool AreFillControlsVisible() const { return DrawFill; }

    // The controls take the shape's style; nothing is applied meanwhile.
    void LoadShapeStyle(const Tvnlshape &shape);
    // Gives the whole style to shape (a new shape), or with none to every selected shape.
    void ApplyShapeStyle(Tvnlshape *shape);
    // The figure list: every selected shape takes the figure; one past the list is refused.
    void SetFigure(TShapeStyle figure);
    // The up-downs: a value outside the range is refused (false) and changes nothing. Sides go
    // to the selected shapes alone; the width and the curves bring the whole style.
    bool SetSides(int32_t sides);
    bool SetLineWidth(int32_t width);
    bool SetCurveX(int32_t curve);
    bool SetCurveY(int32_t curve);
    // The direction box: degrees; text that is not a number is ignored.
    void SetDirectionText(const QString &text);
    // The colour buttons after the colour dialog's OK.
    void SetLineColor(TColor color);
    void SetFillColor(TColor color);
    void SetDrawLine(bool on);
    void SetDrawFill(bool on);
    // "Square Sides": every selected shape becomes as wide as high, the shorter side deciding.
    void SquareSides();
    // The direction dial: a drag from where the left button went down turns the selected shapes
    // as one undo step.
    void DialPress(const TPoint &p);
    void DialDrag(const TPoint &p);
    void DialRelease();

    // ---- Image: the preview holds the picture new pictures take.
    bool HasImage() const { return ImageLoaded; }
    const QImage &GetPreview() const { return Preview; }
    // The preview takes a picture's image (a null image empties it, as ClearPreview does).
    void SetPreviewPicture(const QImage &image);
    // The preview shows the empty-picture placeholder; new pictures get no image.
    void ClearPreview();
    // "Change Image": the open dialog, then LoadImageFile. Works only while a picture is selected
    // or the tool is not Select; false when nothing was loaded.
    bool LoadImage();
    // Loads the file into the preview and into the selected picture. A file that cannot be read
    // is reported with the codec's message and changes nothing (false).
    bool LoadImageFile(const QString &path);
    // "Add To Label": a new picture of the preview's image at its natural size, centred on the
    // label and stepped 0.1 inch down and right each time, then selected under the Select tool.
    void AddToLabel();
    int32_t GetInsertOffset() const { return InsertOffset; }
    // "Reset Aspect": every selected picture takes its image's proportions.
    void ResetAspect();

    // ---- Zoom
    int32_t GetTrackPosition() const { return TrackPosition; }
    // "1.00x", the text of both zoom labels.
    const QString &GetZoomText() const { return ZoomLabel; }
    // The editor's view shows its zoom and track position: the labels and the track bar follow,
    // nothing else.
    void ShowZoom(double zoom, int32_t trackPosition);
    // The user moved the track bar: the editor is asked to move its track there (within the
    // bar's ends); what it shows comes back through ShowZoom.
    void TrackBarMoved(int32_t position);

    // ---- Hint line
    bool GetShowHints() const { return ShowHints; }
    // "Show Hints": remembered in the settings store.
    void SetShowHints(bool show);
    const QString &GetHint() const { return Hint; }
    // The hint of a tool or an object, its "\n" pairs turned into line breaks.
    void ShowToolHint(const QString &hint);

    // ---- Code panel: the settings new and selected codes take.
    Tcodepanel &GetCodePanel() { return CodePanel; }
    const Tcodepanel &GetCodePanel() const { return CodePanel; }

    // ---- Alignment panel
    Talignpanel &GetAlignPanel() { return AlignPanel; }
    const Talignpanel &GetAlignPanel() const { return AlignPanel; }
    void SetAlignTool(TAlignTool tool);
    void SetAlignStretch(bool stretch);
    // A side button, "All", the match-size and order buttons on the document's selection.
    void AlignSide(int32_t side, std::optional<double> inches);
    void AlignAll(std::optional<double> inches);
    void MatchSizes(TSizeMatch how);
    void ChangeOrder(TOrderChange how);

private:
    void Changed(uint32_t areas);
    void ApplyTextTo(Tvnltext &text);
    void ApplyShapeTo(Tvnlshape &shape) const;
    void SetDialValue(int32_t value);
    // The selected objects of one kind, in list order.
    template <class T> std::vector<T *> Selected() const;

    Tregistryex &Store;
    Tdrawlist *Document = nullptr;
    TTool CurrentTool = TTool::Select;
    int32_t Panel = tpNone;
    bool SelectVertical = false;
    bool SelectExpanded = true;

    Tfont SampleFont;
    THorizontalAlign SampleHAlign = THorizontalAlign::Left;
    TVerticalAlign VAlignSetting = TVerticalAlign::Top;
    QString OversetText;

    TShapeStyle Figure = TShapeStyle::Ellipse;
    int32_t Sides = InitialSides;
    int32_t Direction = 0;
    QString DirectionText;
    int32_t CurveX = InitialCurve;
    int32_t CurveY = InitialCurve;
    int32_t LineWidth = MinLineWidth;
    TColor LineColor = clBlack;
    TColor FillColor = clWhite;
    bool DrawLine = true;
    bool DrawFill = true;
    // While above 0 nothing is applied to shapes.
    int32_t LoadingShape = 0;
    bool Dialing = false;
    TPoint DialPressPoint;

    bool ImageLoaded = false;
    QImage Preview;
    int32_t InsertOffset = 0;

    int32_t TrackPosition;
    QString ZoomLabel;

    bool ShowHints = true;
    QString Hint;

    Talignpanel AlignPanel;
    Tcodepanel CodePanel;
};
