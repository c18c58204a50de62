#pragma once
// A label project with its template: the pair the editor edits and the PDF export, the test
// tools and the sample generator open, make and save, in one place. The project is attached to
// the template, so it takes the template's label size; opening a project looks for the template
// it names (as stored, beside the current folder, beside the program, among the program's data,
// then by asking) and warns once when the file is damaged.

#include "document/drawlist.h"
#include "document/labeltemplate.h"

#include <QString>
#include <cstdint>
#include <memory>

// Every label's top-left corner in document units, and a new label's size in inches.
constexpr int32_t LabelCorner = 100000;
constexpr double NewLabelWidth = 4.0;
constexpr double NewLabelHeight = 3.5;

class Tlabelproject {
public:
    // An empty project on an empty template, both with the label's corner at LabelCorner and a
    // new label's size.
    Tlabelproject();
    ~Tlabelproject();
    Tlabelproject(const Tlabelproject &) = delete;
    Tlabelproject &operator=(const Tlabelproject &) = delete;

    Tdrawlist &Project() const { return *FProject; }
    tlabeltemplate &Template() const { return *FTemplate; }

    // Whether file can be opened as a project (as a template): its header says it is one. A
    // file of another kind, too short to be any or from a newer version shows the loader's
    // message and gives false; a file that cannot be opened raises its error.
    bool CanOpenProject(const QString &file) const;
    bool CanOpenTemplate(const QString &file) const;

    // Loads a project and the template it names. False for an empty file, which loads nothing
    // (the project keeps its objects and takes the file's name); raises what reading raises.
    bool Open(const QString &file);
    // Loads a template; the project takes its label size. False for an empty file.
    bool OpenTemplate(const QString &file);
    // A new label: the template loaded, the project emptied and given the template's starter
    // objects (placeholders for their pictures), all selected. Raises what reading raises.
    void NewFrom(const QString &templateFile);
    // The project names a template that is not loaded (it was not found, or not chosen).
    bool TemplateMissing() const;
    // Saves the project with its reference to the template; it is unmodified afterwards. A
    // failed save raises and leaves the project, its name and its modified state as they were.
    void Save(const QString &file);
    // An empty project on the template, without a file name.
    void ClearProject();

private:
    std::unique_ptr<tlabeltemplate> FTemplate;
    std::unique_ptr<Tdrawlist> FProject;
};
