#include "editing/printcheck.h"

#include "document/code.h"
#include "document/drawlist.h"
#include "document/fields.h"
#include "document/labeltemplate.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"
#include "platform/rnd.h"

#include <QStringList>
#include <algorithm>

namespace {
// A text is named by its first words, this many characters at most.
constexpr qsizetype NamedTextLength = 24;
// A prompt is named whole up to this length.
constexpr qsizetype NamedPromptLength = 40;
constexpr double MillimetresPerInch = 25.4;
// Document units are thousandths of an inch.
constexpr double UnitsPerInch = 1000.0;

// The first words of text on one line, cut after a word with an ellipsis when there is more.
QString FirstWords(const QString &text, qsizetype length = NamedTextLength)
{
    const QString line = text.simplified();
    if (line.size() <= length)
        return line;
    qsizetype cut = line.lastIndexOf(QLatin1Char(' '), length);
    if (cut <= 0)
        cut = length;
    return line.left(cut) + QChar(0x2026);
}

bool IsBlank(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0x20; });
}

// How far the bounds reach past the label rectangle on the side where they reach farthest;
// 0 when they lie inside it.
double Overhang(const TRect &bounds, const TRect &label)
{
    return std::max({0, label.Left - bounds.Left, bounds.Right - label.Right, label.Top - bounds.Top,
                     bounds.Bottom - label.Bottom});
}

// The picture's dots per inch at its printed size: the lower of the two directions.
int32_t PictureDpi(const Tvnlpic &picture)
{
    const QImage &image = picture.GetPicture();
    if (image.isNull() || picture.Width() <= 0 || picture.Height() <= 0)
        return -1;
    return rnd(std::min(image.width() * UnitsPerInch / picture.Width(),
                        image.height() * UnitsPerInch / picture.Height()));
}

QString Inches(double units)
{
    return QString::number(units / UnitsPerInch, 'f', 2);
}

void CheckText(Tvnltext &text, const QString &name, std::vector<TPrintProblem> &out, TPrintProblem base)
{
    if (IsBlank(text.GetText())) {
        base.Issue = TPrintIssue::EmptyPrompt;
        const QString prompt =
            text.GetPlaceholderText().trimmed().isEmpty() ? DefaultTextPrompt : text.GetPlaceholderText();
        base.Text = QStringLiteral("The prompt \"%1\" is still empty: nothing prints there.")
                        .arg(FirstWords(prompt, NamedPromptLength));
        out.push_back(base);
        return;
    }
    if (const int32_t hidden = text.HiddenLinesAt(CheckScale); hidden > 0) {
        base.Issue = TPrintIssue::TextCut;
        base.Text =
            hidden == 1
                ? QStringLiteral("%1 is cut at the bottom of its box: 1 line does not print.").arg(name)
                : QStringLiteral("%1 is cut at the bottom of its box: %2 lines do not print.")
                      .arg(name)
                      .arg(hidden);
        out.push_back(base);
    }
}

// False when the code prints nothing, so nothing else about it matters.
bool CheckCode(const Tvnlcode &code, const QString &name, std::vector<TPrintProblem> &out, TPrintProblem base)
{
    if (const QString problem = code.PrintProblem(); !problem.isEmpty()) {
        base.Issue = TPrintIssue::CodeInvalid;
        base.Text = QStringLiteral("%1 is left out: %2").arg(name, problem);
        out.push_back(base);
        return false;
    }
    const double millimetres = code.ModuleSize() / UnitsPerInch * MillimetresPerInch;
    if (millimetres > 0 && millimetres < MinModuleMillimetres) {
        base.Issue = TPrintIssue::CodeTooSmall;
        base.Text = QStringLiteral("%1 has modules of %2 mm, under %3 mm: scanners may not read it.")
                        .arg(name, QString::number(millimetres, 'f', 2),
                             QString::number(MinModuleMillimetres, 'f', 2));
        out.push_back(base);
    }
    return true;
}
} // namespace

QString ObjectDescription(const Tdrawobj &object)
{
    if (const auto *text = dynamic_cast<const Tvnltext *>(&object))
        return QStringLiteral("Text \"%1\"").arg(FirstWords(text->GetText()));
    if (const auto *code = dynamic_cast<const Tvnlcode *>(&object)) {
        const TSymbologyInfo *info = code->Info();
        return QStringLiteral("%1 \"%2\"")
            .arg(info ? QString::fromLatin1(info->Name) : QStringLiteral("A code"),
                 FirstWords(code->GetSpec().Data));
    }
    if (dynamic_cast<const Tvnlpic *>(&object))
        return QStringLiteral("A picture");
    if (dynamic_cast<const Tvnlline *>(&object))
        return QStringLiteral("A line");
    if (dynamic_cast<const Tvnlshape *>(&object))
        return QStringLiteral("A shape");
    if (dynamic_cast<const Tvnlsymbol *>(&object))
        return QStringLiteral("A symbol");
    return QStringLiteral("An object");
}

std::vector<TPrintProblem> CheckDocument(const Tdrawlist &document)
{
    std::vector<TPrintProblem> out;
    const TRect label = document.GetLabelRect();
    for (int32_t i = 0; i < document.Count(); ++i) {
        Tdrawobj &object = *document.GetObject(i);
        const QString name = ObjectDescription(object);
        TPrintProblem base{TPrintIssue::PastEdge, &document, i, {}};
        if (auto *text = dynamic_cast<Tvnltext *>(&object)) {
            CheckText(*text, name, out, base);
            if (IsBlank(text->GetText()))
                continue; // an empty box prints nothing, wherever it lies
        } else if (const auto *code = dynamic_cast<const Tvnlcode *>(&object)) {
            if (!CheckCode(*code, name, out, base))
                continue;
        } else if (const auto *picture = dynamic_cast<const Tvnlpic *>(&object)) {
            if (const int32_t dpi = PictureDpi(*picture); dpi >= 0 && dpi < MinPictureDpi) {
                base.Issue = TPrintIssue::LowResolution;
                base.Text =
                    QStringLiteral("A picture prints at %1 dots per inch at %2 \u00d7 %3 in, under %4: "
                                   "it will look coarse.")
                        .arg(dpi)
                        .arg(Inches(picture->Width()), Inches(picture->Height()))
                        .arg(MinPictureDpi);
                out.push_back(base);
            }
        }
        if (const double past = Overhang(object.GetBounds(), label); past > EdgeAllowance) {
            base.Issue = TPrintIssue::PastEdge;
            base.Text = QStringLiteral("%1 reaches %2 in past the label's edge.").arg(name, Inches(past));
            out.push_back(base);
        }
    }
    return out;
}

std::vector<TPrintProblem> CheckBeforePrinting(const Tdrawlist &project)
{
    std::vector<TPrintProblem> out;
    if (const tlabeltemplate *labelTemplate = project.GetTemplate())
        out = CheckDocument(*labelTemplate);
    std::vector<TPrintProblem> own = CheckDocument(project);
    out.insert(out.end(), own.begin(), own.end());
    return out;
}

std::vector<TPrintProblem> CheckFields(const Tdrawlist &document, const TFieldValues &values)
{
    std::vector<TPrintProblem> problems;
    for (int32_t i = 0; i < document.Count(); ++i) {
        const Tdrawobj &object = *document.GetObject(i);
        QStringList unknown;
        for (const QString &text : object.Fields())
            FillFields(text, values, &unknown);
        unknown.removeDuplicates();
        if (!unknown.isEmpty())
            problems.push_back({TPrintIssue::FieldUnfilled, &document, i,
                                QStringLiteral("%1 holds %2, which the labels' data does not fill: it prints "
                                               "as written.")
                                    .arg(ObjectDescription(object), unknown.join(QStringLiteral(", ")))});
    }
    return problems;
}
