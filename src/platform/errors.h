#pragma once
// The exceptions the model throws. Each carries the user-facing text and a class name that
// error reports show in front of it ("EStreamError: ...").

#include <QString>
#include <exception>
#include <stdexcept>

class Exception : public std::runtime_error {
public:
    explicit Exception(const QString &message) : std::runtime_error(message.toStdString()) {}
    virtual const char *ClassName() const { return "Exception"; }
    QString Message() const { return QString::fromStdString(what()); }
};

// A stream could not be read or written as required.
class EStreamError : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EStreamError"; }
};

// The operating system refused a resource (a bitmap, a file).
class EOSError : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EOSError"; }
};

// An internal consistency check failed; the message names the source module and line.
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EAssertionFailed"; }
};

// The class name of any exception, for error reports: ours by their ClassName, running out
// of memory as "EOutOfMemory", anything else as "Exception".
QString ErrorClassName(const std::exception &e);
// The message of any exception.
QString ErrorMessage(const std::exception &e);
// "<class name>: <message>", as error reports show an exception.
QString ErrorReportText(const std::exception &e);

// Raises EAssertionFailed with "<text> (<module>, line <line>)".
[[noreturn]] void AssertionFailed(const char *text, const char *module, int line);

// VNL_ASSERT(condition, "vnl_drawlist") checks an internal invariant.
#define VNL_ASSERT(condition, module)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            AssertionFailed(#condition, module, __LINE__);                                                   \
    } while (false)
