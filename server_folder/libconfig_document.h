#pragma once

#include "server_facts.h"

#include <libconfig.h++>

#include <QByteArray>
#include <QString>

#include <optional>

// A server .conf file parsed by libconfig, after its own additions are turned
// into plain libconfig.
namespace LibconfigDocument {

// Parses `bytes` into `config`; the problem, naming the file and line, when it
// cannot.
std::optional<ServerFolder::Problem> parse(const QByteArray &bytes, const QString &file, libconfig::Config &config);

// The number a setting holds, if it holds one.
std::optional<qint64> integer(const libconfig::Setting &setting);

// The string member `name` of a group, empty when it has none.
QString stringMember(const libconfig::Setting &group, const char *name);

} // namespace LibconfigDocument
