#pragma once
// The tool window's code panel: the symbology, the data, the QR code's error-correction level,
// the human-readable text and the colour that new codes take and the selected codes are given,
// with what the panel says of them: why the data cannot be encoded, or that a retail code is too
// small. Each change reaches every selected code through its setters as one undo step.

#include "document/codesymbol.h"
#include "platform/colors.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Tdrawlist;
class Tvnlcode;

// What the tool window says of data with fields that does not encode as written.
extern const QString CodeFieldsNote;

class Tcodepanel {
public:
    Tcodepanel();

    // The editor's document (not owned); without one only the settings change.
    void SetDocument(Tdrawlist *doc) { Document = doc; }
    // The panel shows something new.
    std::function<void()> OnChange;

    // The symbology list's entries in their order, and the one chosen (its index).
    static QStringList SymbologyNames();
    static QStringList LevelNames();
    uint8_t GetSymbology() const { return Spec.Symbology; }
    const QString &GetData() const { return Spec.Data; }
    uint8_t GetQrLevel() const { return Spec.QrLevel; }
    bool GetShowText() const { return Spec.ShowText; }
    TColor GetColor() const { return Color; }
    // The level list shows for QR codes, the text check box for linear codes.
    bool IsQrLevelVisible() const;
    bool IsShowTextVisible() const;
    // Why the data cannot be encoded ("EAN-13 takes 12 or 13 digits; "12345" has 5"), empty
    // when it can.
    const QString &GetMessage() const { return Message; }
    // A warning of a code that prints all the same (a retail code under 80 % of its size).
    const QString &GetWarning() const { return Warning; }

    // The panel takes the code's settings (a code became the selection).
    void Load(const Tvnlcode &code);
    // A new code takes the panel's settings, at the proportions of its symbology.
    void ApplyTo(Tvnlcode &code) const;

    // The controls. A symbology change brings the selected codes to their new proportions,
    // their width kept; data that is still the old symbology's example, and does not fit the new
    // one, becomes the new one's example (what the user typed stays, and is judged).
    void SetSymbology(uint8_t symbology);
    void SetData(const QString &data);
    // What the panel says of data being typed, before it is given to the codes.
    void CheckTyped(const QString &data);
    void SetQrLevel(uint8_t level);
    void SetShowText(bool show);
    // After the colour dialog's OK.
    void SetColor(TColor color);
    // What the panel says again, after the selected code changed otherwise (a resize, an undo).
    void Refresh();

private:
    std::vector<Tvnlcode *> SelectedCodes() const;
    // Applies a change to every selected code in one undo step, then says what is wrong.
    void Change(const std::function<void(Tvnlcode &)> &change);
    void UpdateMessages();

    Tdrawlist *Document = nullptr;
    TCodeSpec Spec;
    TColor Color = clBlack;
    // Data with fields that does not encode as written is no error: it warns instead.
    void NoteFields(const QString &data);

    QString Message;
    QString Warning;
};
