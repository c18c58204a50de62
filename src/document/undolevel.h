#pragma once
// One undo level: the state of one object before one change, as its type code byte followed
// by its record, with the kind of the change and where the object stood.

#include <QBuffer>
#include <cstdint>

class Tundolevel {
public:
    Tundolevel() { Data.open(QIODevice::ReadWrite); }
    Tundolevel(const Tundolevel &) = delete;
    Tundolevel &operator=(const Tundolevel &) = delete;

    QBuffer &Stream() { return Data; }

    uint8_t Kind = 0;     // the change kind: 0 deleted, 1 added, 2 geometry, 3 property
    int32_t ZIndex = 0;   // the object's list position before the change
    int32_t ObjectId = 0; // the Id of the object the level belongs to
    int32_t Group = 0;    // levels of one group undo together

private:
    QBuffer Data;
};
