#include "platform/errors.h"

#include <new>

QString ErrorClassName(const std::exception &e)
{
    if (const auto *own = dynamic_cast<const Exception *>(&e))
        return QString::fromLatin1(own->ClassName());
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return QStringLiteral("EOutOfMemory");
    return QStringLiteral("Exception");
}

QString ErrorMessage(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return QStringLiteral("Out of memory");
    return QString::fromLocal8Bit(e.what());
}

QString ErrorReportText(const std::exception &e)
{
    return ErrorClassName(e) + QStringLiteral(": ") + ErrorMessage(e);
}

void AssertionFailed(const char *text, const char *module, int line)
{
    throw EAssertionFailed(QStringLiteral("Assertion failed: %1 (%2, line %3)")
                               .arg(QString::fromLatin1(text), QString::fromLatin1(module))
                               .arg(line));
}
