#include "document/objectfactory.h"

std::unique_ptr<Tdrawobj> CreateObject(uint8_t typeCode)
{
    switch (typeCode) {
    case 0:
        return std::make_unique<Tdrawobj>();
    default:
        return nullptr;
    }
}
