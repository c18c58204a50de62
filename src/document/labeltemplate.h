#pragma once
// A label template: a document whose objects are the background of every label made from it.
// Its size changes are passed on to the projects attached to it.

#include "document/drawlist.h"

#include <functional>

class tlabeltemplate : public Tdrawlist {
public:
    // Tdrawlist
    void SetLabelHeight(double inches) override;
    void SetLabelWidth(double inches) override;

    std::function<void(tlabeltemplate *)> OnResize;

private:
    void Resized();
};
