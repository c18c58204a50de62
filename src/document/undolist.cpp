#include "document/undolevel.h"

Tundolevel &Tundolist::NewLevel()
{
    Levels.push_back(std::make_unique<Tundolevel>());
    Tundolevel &level = *Levels.back();
    level.Group = GroupCounter;
    TrimToLimit();
    return level;
}

void Tundolist::SetUndoLimit(int32_t n)
{
    UndoLimit = n;
    TrimToLimit();
}

void Tundolist::TrimToLimit()
{
    // The oldest group goes as a whole, level by level.
    while (GroupCount() > UndoLimit && !Levels.empty())
        Levels.erase(Levels.begin());
}

Tundolevel *Tundolist::LastActiveLevel()
{
    for (auto it = Levels.rbegin(); it != Levels.rend(); ++it)
        if (!(*it)->Undone)
            return it->get();
    return nullptr;
}

Tundolevel *Tundolist::FirstUndoneLevel()
{
    for (auto &level : Levels)
        if (level->Undone)
            return level.get();
    return nullptr;
}

void Tundolist::DropUndone()
{
    while (!Levels.empty() && Levels.back()->Undone)
        Levels.pop_back();
}

int32_t Tundolist::UndoneCount() const
{
    int32_t n = 0;
    for (const auto &level : Levels)
        n += level->Undone;
    return n;
}

int32_t Tundolist::GroupCount() const
{
    int32_t count = 0;
    bool counted = false;
    int32_t lastGroup = 0;
    for (const auto &level : Levels) {
        if (level->Undone)
            continue;
        if (!counted || level->Group != lastGroup) {
            ++count;
            lastGroup = level->Group;
            counted = true;
        }
    }
    return count;
}
