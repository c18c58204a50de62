#include "document/undolevel.h"

Tundolevel &Tundolist::NewLevel()
{
    // Only a level that opens a group can take the history past its limit.
    const bool opensGroup = Levels.empty() || Levels.back()->Group != GroupCounter;
    Levels.push_back(std::make_unique<Tundolevel>());
    Tundolevel &level = *Levels.back();
    level.Group = GroupCounter;
    if (opensGroup)
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
    // The oldest groups go as a whole: every level up to the last one of the newest group that
    // has to go, in one erase (a change of hundreds of objects makes groups of hundreds).
    const int32_t excess = GroupCount() - UndoLimit;
    if (excess <= 0)
        return;
    int32_t groups = 0;
    int32_t lastGroup = 0;
    size_t end = 0;
    for (size_t i = 0; i < Levels.size(); ++i) {
        const Tundolevel &level = *Levels[i];
        if (level.Undone)
            continue;
        if (groups == 0 || level.Group != lastGroup) {
            if (groups == excess)
                break;
            ++groups;
            lastGroup = level.Group;
        }
        end = i + 1;
    }
    Levels.erase(Levels.begin(), Levels.begin() + std::ptrdiff_t(end));
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
