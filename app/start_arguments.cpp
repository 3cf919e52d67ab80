#include "app/start_arguments.h"

std::optional<StartArguments> StartArguments::read(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return StartArguments{};
    if (arguments.size() != 3 || arguments.at(0) != QLatin1String("--preview"))
        return std::nullopt;
    bool isNumber = false;
    const int line = arguments.at(1).toInt(&isNumber);
    if (!isNumber || line < 1 || arguments.at(2).isEmpty())
        return std::nullopt;
    return StartArguments{arguments.at(2), line};
}
