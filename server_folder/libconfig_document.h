#pragma once

#include "server_facts.h"

#include <libconfig.h++>

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// A server .conf file parsed by libconfig, after its own additions are turned
// into plain libconfig.
namespace LibconfigDocument {

// Parses `bytes` into `config`; the problem, naming the file and line, when it
// cannot.
std::optional<ServerFolder::Problem> parse(const QByteArray &bytes, const QString &file, libconfig::Config &config);

enum class Shape
{
    List,
    Group,
};

using MemberReader = std::function<std::optional<ServerFolder::Problem>(const libconfig::Setting &member)>;

// Parses `bytes` and hands each member of the root setting `name` to `read`, in
// order; the first problem, from parsing, from `name` not being of `shape`, or
// from `read`. A file without `name` has no members.
std::optional<ServerFolder::Problem> readMembers(const QByteArray &bytes, const QString &file, const char *name,
                                                 Shape shape, const MemberReader &read);

// The number a setting holds, if it holds one.
std::optional<qint64> integer(const libconfig::Setting &setting);

// The string member `name` of a group, empty when it has none.
QString stringMember(const libconfig::Setting &group, const char *name);

} // namespace LibconfigDocument
