#include "document/objectfactory.h"

#include "document/code.h"
#include "document/picture.h"
#include "document/shape.h"
#include "document/text.h"

std::unique_ptr<Tdrawobj> CreateObject(uint8_t typeCode)
{
    switch (typeCode) {
    case 0:
        return std::make_unique<Tdrawobj>();
    case 1:
        return std::make_unique<Tvnlshape>();
    case 2:
        return std::make_unique<Tvnltext>();
    case 3:
        return std::make_unique<Tvnlpic>();
    case 4:
        return std::make_unique<Tvnlsymbol>();
    case 5:
        // Lines are read back too: an object list stops at the first code it does not know,
        // so an unknown line would lose every object after it.
        return std::make_unique<Tvnlline>();
    case otCode:
        return std::make_unique<Tvnlcode>();
    default:
        return nullptr;
    }
}
