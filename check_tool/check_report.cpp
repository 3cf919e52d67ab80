#include "check_tool/check_report.h"

#include "check_tool/windows_across.h"
#include "checker/language.h"
#include "checker/rules.h"
#include "checker/script_check.h"
#include "checker/variable_rules.h"
#include "common/regular_file.h"
#include "server_folder/server_facts.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <set>

namespace CheckReport {

namespace {

// Bytes the encoding cannot read, which decode to a substitute: where the server
// reads code they break the script, in a comment or a string they are only
// garbled text. The second argument of an in-text finding is left for the count.
Diagnostic undecodableBytes(const ScriptCheck &check, int line, const QString &encoding)
{
    const QString &text = check.text(line);
    int first = -1;
    for (int column = 0; column < text.size(); ++column) {
        if (!ScriptEncoding::isSubstitute(text.at(column)))
            continue;
        if (!check.isCommentOrString(line, column))
            return Rules::make(Rule::Undecodable, line, column, 1, {encoding});
        if (first < 0)
            first = column;
    }
    return first < 0 ? Rules::make(Rule::Undecodable, line, 0, 1, {encoding})
                     : Rules::make(Rule::UndecodableInText, line, first, 1, {encoding});
}

// The findings on the lines with unreadable bytes: each one in code, and of those
// only in comments and strings one for the whole file, on the first such line,
// naming how many lines have them; a tree of scripts saved in another encoding
// would otherwise bury every other finding.
// Today's servers pass such bytes in text through as they are: for them only
// bytes in code count.
Diagnostics undecodableFindings(const ScriptCheck &check, const QList<int> &lines, const QString &encoding,
                                const Target &target)
{
    const bool textPassesThrough = target.isOnly(Target::kToday);
    Diagnostics found;
    std::optional<Diagnostic> firstInText;
    int linesInText = 0;
    for (const int line : lines) {
        const Diagnostic finding = undecodableBytes(check, line, encoding);
        if (check.silenced(line, finding.code))
            continue;
        if (finding.rule != Rule::UndecodableInText) {
            found.append(finding);
        } else if (textPassesThrough) {
            continue;
        } else if (++linesInText == 1) {
            firstInText = finding;
        }
    }
    if (firstInText) {
        firstInText->message = Rules::message(Rule::UndecodableInText, {encoding, QString::number(linesInText)});
        found.append(*firstInText);
    }
    return found;
}

void sortByPlace(Diagnostics &diagnostics)
{
    // Stable, so that unreadable bytes stay first on their line.
    std::stable_sort(diagnostics.begin(), diagnostics.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
}

// The player variables the script sets, and the reads no set of its own answers.
// A read whose warning a directive silences is judged no further.
void gatherPlayerVariables(const ScriptCheck &check, FileResult &result)
{
    ScriptCheck::PlayerVariables variables = check.playerVariables();
    for (const ScriptCheck::VariableUse &set : std::as_const(variables.sets))
        result.playerVariablesSet.try_emplace(VariableRules::keyOf(set.name), set.name);
    const QString neverSet = Rules::code(Rule::VariableNeverSet);
    for (ScriptCheck::VariableUse &read : variables.reads) {
        if (result.playerVariablesSet.count(VariableRules::keyOf(read.name)) == 0 &&
            !check.silenced(read.line, neverSet))
            result.playerVariableReads.append(std::move(read));
    }
}

// What the file defines and asks of the files loaded with it, and which of the
// findings about that a directive silences.
void gatherLoadUses(const ScriptCheck &check, const Commands::Table &commands, FileResult &result)
{
    result.loadUses = check.loadUses();
    result.target = commands.target();
    if (const std::shared_ptr<const ServerFolder::Facts> &facts = commands.serverFacts())
        result.loadOrder = facts->loadOrder;
    const auto note = [&](const auto &uses, Rule rule) {
        const QString code = Rules::code(rule);
        for (const LoadOrderRules::Use &use : uses) {
            if (check.silenced(use.line, code))
                result.silencedAcross.append({use.line, rule});
        }
    };
    note(result.loadUses.callsByName, Rule::FunctionLoadedLater);
    note(result.loadUses.duplicateSources, Rule::DuplicateSourceNotLoaded);
    note(result.loadUses.npcs, Rule::UniqueNameTaken);
    note(result.loadUses.npcCalls, Rule::PrivateFunctionOfNpc);
}

// The findings of the files loaded together, by the server folder they are
// checked for: files of different servers never meet.
void judgeLoadOrder(QVector<FileResult> &files)
{
    std::map<QString, std::vector<int>> worlds;
    for (int index = 0; index < files.size(); ++index)
        worlds[files.at(index).serverFolder].push_back(index);
    for (const auto &[folder, members] : worlds) {
        std::vector<LoadOrderRules::File> summed(members.size());
        LoadOrderRules::World world;
        std::set<int> positions;
        for (size_t i = 0; i < members.size(); ++i) {
            FileResult &file = files[members[i]];
            summed[i] = {file.fileName, std::move(file.loadUses), file.target, file.loadPosition};
            world.files.push_back(&summed[i]);
            if (file.loadPosition >= 0)
                positions.insert(file.loadPosition);
        }
        const QStringList &order = files.at(members.front()).loadOrder;
        world.everyFileChecked = !folder.isEmpty() && !order.isEmpty() && qsizetype(positions.size()) == order.size();
        const std::vector<Diagnostics> found = LoadOrderRules::judge(world);
        for (size_t i = 0; i < members.size(); ++i) {
            FileResult &file = files[members[i]];
            file.loadUses = std::move(summed[i].uses);
            for (const Diagnostic &finding : found[i]) {
                if (!file.silencedAcross.contains({finding.line, finding.rule}))
                    file.diagnostics.append(finding);
            }
            if (!found[i].isEmpty())
                sortByPlace(file.diagnostics);
        }
    }
}

} // namespace

FileResult checkBytes(const QString &fileName, QByteArrayView bytes,
                      const std::shared_ptr<const Commands::Table> &commands, const ScriptEncoding &encoding)
{
    FileResult result;
    result.fileName = fileName;
    // A file of fewer bytes than the limit of lines cannot hold too many.
    const bool mayHaveTooManyLines = bytes.size() >= kMaxLines && std::count_if(bytes.begin(), bytes.end(), [](char c) {
                                                                      return c == '\n' || c == '\r';
                                                                  }) >= kMaxLines;
    if (mayHaveTooManyLines) {
        result.failure = QStringLiteral("%1: 行が多すぎます（%2 行まで）").arg(fileName).arg(kMaxLines);
        return result;
    }
    QList<int> undecodable;
    result.lines = encoding.lines(bytes, result.text, undecodable);
    // Text decoded from the code page holds only characters it can hold again; no
    // one sees the colours.
    const auto kept = std::make_shared<ScriptCheck>(commands, ScriptCheck::Options{false, false, false, false});
    ScriptCheck &check = *kept;
    check.replaceLines(0, 0, result.lines);
    check.updateFlow();
    WindowsAcross::gather(kept, commands, result);
    result.diagnostics = undecodableFindings(check, undecodable, encoding.displayName(), commands->target());
    result.diagnostics += check.allDiagnostics();
    sortByPlace(result.diagnostics);
    result.functionDefinitions = check.functionDefinitions();
    // A call whose warning a directive silences is judged no further.
    const QString undefinedFunction = Rules::code(Rule::UndefinedFunction);
    for (const ScriptCheck::FunctionUse &call : check.functionCalls()) {
        if (!check.silenced(call.line, undefinedFunction))
            result.functionCalls.append(call);
    }
    gatherPlayerVariables(check, result);
    gatherLoadUses(check, *commands, result);
    return result;
}

FileResult checkFile(const QString &path, const std::shared_ptr<const Commands::Table> &commands,
                     const ScriptEncoding &encoding)
{
    RegularFile::Result file = RegularFile::tryRead(path, kMaxBytes);
    FileResult result;
    result.fileName = path;
    switch (file.status) {
    case RegularFile::Result::Status::Read:
        result = checkBytes(path, file.bytes, commands, encoding);
        result.bytes = std::move(file.bytes);
        return result;
    case RegularFile::Result::Status::CannotOpen:
        result.failure = QFileInfo::exists(path) ? QStringLiteral("%1: 普通のファイルでないか、読めません").arg(path)
                                                 : QStringLiteral("%1: ファイルがありません").arg(path);
        break;
    case RegularFile::Result::Status::TooLarge:
        result.failure = QStringLiteral("%1: 大きすぎます（%2 MiB まで）").arg(path).arg(kMaxBytes / (1024 * 1024));
        break;
    }
    return result;
}

void checkFunctionsAcross(QVector<FileResult> &files)
{
    WindowsAcross::judge(files);
    std::set<QString> defined;
    for (const FileResult &file : std::as_const(files)) {
        for (const ScriptCheck::FunctionUse &function : file.functionDefinitions)
            defined.insert(function.name);
    }
    for (FileResult &file : files) {
        // A name called as a command that another file checked with it defines is
        // a function called by name, which today's servers run.
        const QString byName = Rules::code(Rule::UnknownFunctionByName);
        file.diagnostics.erase(std::remove_if(file.diagnostics.begin(), file.diagnostics.end(),
                                              [&](const Diagnostic &d) {
                                                  return d.code == byName &&
                                                         defined.count(file.lines.value(d.line).mid(d.column, d.length));
                                              }),
                               file.diagnostics.end());
        bool added = false;
        for (const ScriptCheck::FunctionUse &call : std::as_const(file.functionCalls)) {
            if (defined.count(call.name) != 0)
                continue;
            file.diagnostics.append(
                Rules::make(Rule::UndefinedFunction, call.line, call.column, call.length, {call.name}));
            added = true;
        }
        if (added)
            sortByPlace(file.diagnostics);
    }
    judgeLoadOrder(files);
}

void checkPlayerVariablesAcross(QVector<FileResult> &files)
{
    // Compared, not hashed: a tree of scripts sets a few hundred names, read many times.
    std::map<QString, QString> set; // by key, the spelling first met in the files' order
    for (const QString &name : Language::variablesTheServerSets())
        set.try_emplace(name, name);
    for (const FileResult &file : std::as_const(files)) {
        for (const auto &[key, spelling] : file.playerVariablesSet)
            set.try_emplace(key, spelling);
    }
    std::map<QString, QString> nearest; // the hint for each name read and never set, looked for once
    for (FileResult &file : files) {
        bool added = false;
        for (const ScriptCheck::VariableUse &read : std::as_const(file.playerVariableReads)) {
            const QString key = VariableRules::keyOf(read.name);
            if (set.count(key) != 0 || Language::isSetByTheServer(key))
                continue;
            auto hint = nearest.find(key);
            if (hint == nearest.end())
                hint = nearest.try_emplace(key, VariableRules::nearestSet(read.name, set)).first;
            file.diagnostics.append(
                VariableRules::neverSet(read.line, read.column, read.length, read.name, hint->second));
            added = true;
        }
        if (added)
            sortByPlace(file.diagnostics);
    }
}

} // namespace CheckReport
