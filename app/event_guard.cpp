#include "app/event_guard.h"

#include "app/error_dialog.h"
#include "common/failure.h"

#include <QString>

#include <new>

bool runGuarded(const std::function<void()> &handler)
{
    try {
        handler();
        return true;
    } catch (const Failure &failure) {
        showErrorDialog(failure.message());
    } catch (const std::bad_alloc &) {
        showErrorDialog(QStringLiteral("メモリが足りません"));
    } catch (const std::exception &error) {
        showErrorDialog(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showErrorDialog(QStringLiteral("予期しないエラーが発生しました"));
    }
    return false;
}
