#pragma once
// What the tests of the tool window's logic and the alignment tools share: a document with a
// label, a settings store in memory, and a record of the messages shown.

#include "common/fakes.h"
#include "document/drawlist.h"
#include "platform/messages.h"
#include "settings/regbackend.h"
#include "settings/registry.h"

#include <memory>
#include <utility>
#include <vector>

// A document whose label is 2 by 1 inches at the editor's origin: (100000, 100000) to
// (102000, 101000), 1000 units per inch.
struct TLabelDocument {
    Tdrawlist Doc;

    TLabelDocument()
    {
        Doc.SetLabelRect({100000, 100000, 100001, 100001});
        Doc.SetLabelWidth(2.0);
        Doc.SetLabelHeight(1.0);
    }

    // A new object of class T with the bounds, selected or not; its creation is one undo step.
    template <class T> T &Add(const TRect &bounds, bool selected = true)
    {
        auto owned = std::make_unique<T>();
        T &o = *owned;
        Doc.AddObject(std::move(owned));
        o.SetBounds(bounds);
        o.SetSelected(selected);
        Doc.CloseUndoGroup();
        return o;
    }
};

// A settings store on an in-memory tree, open on the settings key.
struct TMemorySettings {
    std::shared_ptr<Tmemorybackend> Backend = std::make_shared<Tmemorybackend>();
    Tregistryex Store;

    TMemorySettings()
    {
        SetRootBackend(HKEY_CURRENT_USER, Backend);
        Store.OpenKey(QString::fromLatin1(SettingsKeyPath), true);
    }
    ~TMemorySettings() { SetRootBackend(HKEY_CURRENT_USER, nullptr); }
    TMemorySettings(const TMemorySettings &) = delete;
    TMemorySettings &operator=(const TMemorySettings &) = delete;
};
