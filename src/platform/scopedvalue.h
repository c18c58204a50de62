#pragma once
// Sets a variable for the length of a scope and puts back what was there before, on every way
// out: a paint in output mode inside another one leaves the outer paint's state as it was.

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
