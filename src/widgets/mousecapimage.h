#pragma once
// An image control that can keep the mouse: while mousecapture is set it receives every mouse
// move, also outside itself, as Qt gives it anyway while a button is held on it.

#include <QLabel>

class Tmousecapimage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(bool mousecapture READ GetMousecapture WRITE SetMousecapture)

public:
    using QLabel::QLabel;

    // True while this control is the mouse grabber, by capture or by a button held on it.
    bool GetMousecapture() const;
    // True grabs the mouse (from whichever widget had it); false lets it go if this control has it.
    void SetMousecapture(bool v);
};
