#pragma once
// The drawing object class for each record type code.

#include "document/drawobj.h"

#include <memory>

// The code that ends an object list in a file.
constexpr uint8_t EndOfObjectList = 255;

// A new object of the class with the type code, or none for 255 and unknown codes.
std::unique_ptr<Tdrawobj> CreateObject(uint8_t typeCode);
