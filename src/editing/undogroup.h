#pragma once
// One undo step around a change of several objects: the document's undo group is open while this
// lives, and closed also when the change fails half-way. Opened outermost, it first closes what
// was recorded outside any group, so the step holds this change alone.

#include "document/drawlist.h"

class TUndoGroup {
public:
    // None for doc opens nothing.
    explicit TUndoGroup(Tdrawlist *doc) : Doc(doc)
    {
        if (Doc && Doc->BeginUndoGroup() == 1)
            Doc->CloseUndoGroup();
    }
    ~TUndoGroup()
    {
        if (Doc)
            Doc->EndUndoGroup();
    }
    TUndoGroup(const TUndoGroup &) = delete;
    TUndoGroup &operator=(const TUndoGroup &) = delete;

private:
    Tdrawlist *Doc;
};
