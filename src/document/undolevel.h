#pragma once
// The undo history: levels that each hold one object's state before one change, as its type
// code byte followed by its record, grouped into steps, the newest 40 steps kept.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

class Tundolevel {
public:
    Tundolevel() { Data.open(QIODevice::ReadWrite); }
    Tundolevel(const Tundolevel &) = delete;
    Tundolevel &operator=(const Tundolevel &) = delete;

    QBuffer &Stream() { return Data; }
    const QBuffer &Stream() const { return Data; }

    uint8_t Kind = 0; // the change kind: 0 deleted, 1 added, 2 geometry, 3 property
    bool Undone = false;
    int32_t ObjectId = 0; // the Id of the object the level belongs to
    int32_t Group = 0;    // levels of one group undo together
    int32_t ZIndex = 0;   // the object's list position when the level was made
    // A picture's pixels, shared with the image the picture held rather than encoded into the
    // level's bytes, which then mark where the image belongs.
    QImage Image;

    // Kept when the level is undone, so that redo can apply the change again: the object's
    // type code and record as they were just before the undo, its image, and its position.
    QByteArray RedoRecord;
    QImage RedoImage;
    int32_t RedoZIndex = 0;

private:
    QBuffer Data;
};

class Tundolist {
public:
    explicit Tundolist(int32_t limit) : UndoLimit(limit) {}

    // A new empty level of the current group, the oldest groups trimmed beyond the limit.
    Tundolevel &NewLevel();
    void SetUndoLimit(int32_t n);
    void TrimToLimit();
    int32_t Count() const { return static_cast<int32_t>(Levels.size()); }
    Tundolevel &GetLevel(int32_t index) { return *Levels[index]; }
    // The newest level not undone, or none.
    Tundolevel *LastActiveLevel();
    // The oldest undone level, the first that redo applies again, or none.
    Tundolevel *FirstUndoneLevel();
    void DropUndone();
    int32_t UndoneCount() const;
    // The number of steps that can be undone.
    int32_t GroupCount() const;
    void NextGroup() { ++GroupCounter; }
    void Clear() { Levels.clear(); }

    int32_t UndoLimit;
    int32_t GroupCounter = 0;

private:
    std::vector<std::unique_ptr<Tundolevel>> Levels;
};
