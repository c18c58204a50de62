#pragma once
// Scope guards: a variable set for the length of a scope and put back on every way out (a paint
// in output mode inside another one leaves the outer paint's state as it was), and an action run
// when a scope ends however it ends (the end of an undo group, an update, a progress report).

#include <utility>

template <class T> class TScopedValue {
public:
    TScopedValue(T &variable, T value) : Variable(variable), Previous(variable) { variable = value; }
    ~TScopedValue() { Variable = Previous; }
    TScopedValue(const TScopedValue &) = delete;
    TScopedValue &operator=(const TScopedValue &) = delete;

private:
    T &Variable;
    T Previous;
};

template <class F> class TScopeEnd {
public:
    explicit TScopeEnd(F action) : Action(std::move(action)) {}
    ~TScopeEnd() { Action(); }
    TScopeEnd(const TScopeEnd &) = delete;
    TScopeEnd &operator=(const TScopeEnd &) = delete;

private:
    F Action;
};
