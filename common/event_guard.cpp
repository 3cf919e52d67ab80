#include "common/event_guard.h"

#include "common/failure.h"

#include <new>

namespace {

std::function<void(const QString &)> &reporter()
{
    static std::function<void(const QString &)> installed;
    return installed;
}

void report(const QString &message)
{
    if (reporter())
        reporter()(message);
    else
        qWarning("%s", qUtf8Printable(message));
}

} // namespace

void setFailureReporter(std::function<void(const QString &message)> installed)
{
    reporter() = std::move(installed);
}

bool runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const Failure &failure) {
        report(failure.message());
    } catch (const std::bad_alloc &) {
        report(QStringLiteral("メモリが足りません"));
    } catch (const std::exception &error) {
        report(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        report(QStringLiteral("予期しないエラーが発生しました"));
    }
    return false;
}
