#include "file_readers.h"
#include "server_text.h"

#include <yaml-cpp/eventhandler.h>
#include <yaml-cpp/exceptions.h>
#include <yaml-cpp/node/convert.h>
#include <yaml-cpp/node/node.h>
#include <yaml-cpp/parser.h>

#include <array>
#include <istream>
#include <memory>
#include <optional>
#include <streambuf>
#include <string>
#include <unordered_map>
#include <vector>

// The table is read as the parser's events go by, keeping of each entry only its
// Id and names: a tree of the whole file (YAML::Load) holds every field of every
// entry, some fifty times the file's size for a 3 MB item table.
namespace ServerFolder::Readers {

namespace {

int lineOf(const YAML::Mark &mark)
{
    return mark.is_null() ? 0 : mark.line + 1;
}

// The bytes as a stream, read where they lie rather than copied.
class ByteBuffer : public std::streambuf
{
public:
    explicit ByteBuffer(const QByteArray &bytes)
    {
        char *begin = const_cast<char *>(bytes.constData()); // only ever read
        setg(begin, begin, begin + bytes.size());
    }
};

enum class Kind
{
    Null,
    Scalar,
    Sequence,
    Map,
};

// The entries a list names, or the line of the first that names none.
struct EntryList
{
    QList<Entry> entries;
    std::optional<int> problem;
};

// A node as far as the table needs it.
struct Node
{
    Kind kind = Kind::Null;
    int line = 0;
    std::string text;                      // a scalar's
    std::shared_ptr<const EntryList> list; // a kept sequence's, once it has ended
    std::optional<Entry> entry;            // a read map's, once it has ended, when it names one
};

Node nodeOf(Kind kind, int line, std::string text = std::string())
{
    Node node;
    node.kind = kind;
    node.line = line;
    node.text = std::move(text);
    return node;
}

// Where a node stands: what its parent makes of it.
enum class Slot
{
    Ignored,
    Root,
    Key,   // a key of a map whose keys are read
    Body,  // the root's Body
    Item,  // an item of a kept sequence
    Field, // the value of an entry's Id, AegisName, SpriteName or Name
};

constexpr std::array<const char *, 4> kFieldNames = {"Id", "AegisName", "SpriteName", "Name"};
enum Field
{
    kId,
    kAegisName,
    kSpriteName,
    kName,
};

struct Value
{
    bool present = false;
    bool scalar = false;
    std::string text;
};

// A map or sequence begun and not yet ended.
struct Frame
{
    Kind kind = Kind::Map;
    int line = 0;
    YAML::anchor_t anchor = YAML::NullAnchor;
    Slot slot = Slot::Ignored;
    bool root = false;
    bool reads = false; // a map whose keys are read, a sequence whose entries are kept
    bool atKey = true;
    int field = -1; // the field the next value fills; -1 for none
    std::array<Value, kFieldNames.size()> fields;
    std::shared_ptr<EntryList> list;
};

QString textOf(const Value &value)
{
    return value.scalar ? ServerText::decode(QByteArrayView(value.text.data(), qsizetype(value.text.size())))
                        : QString();
}

// The entry a map's fields name: an Id that reads as a number, and a name
// (monsters are named by AegisName in this family; SpriteName is taken as well).
std::optional<Entry> entryOf(const std::array<Value, kFieldNames.size()> &fields, Table table)
{
    long long id = 0;
    const Value &idValue = fields[kId];
    if (!idValue.scalar || !YAML::convert<long long>::decode(YAML::Node(idValue.text), id))
        return std::nullopt;
    QString name = textOf(fields[kAegisName]);
    if (name.isEmpty() && table == Table::Monsters)
        name = textOf(fields[kSpriteName]);
    if (name.isEmpty())
        return std::nullopt;
    return Entry{qint64(id), name, textOf(fields[kName])};
}

// Follows the parser's events through the first document: the root map's Body,
// each of its items' fields, and every anchored node, which an alias may repeat
// anywhere after it.
class EntryTable final : public YAML::EventHandler
{
public:
    explicit EntryTable(Table table) : table_(table) {}

    Facts facts(const QString &file) const;

    void OnDocumentStart(const YAML::Mark &) override {}
    void OnDocumentEnd() override {}
    void OnNull(const YAML::Mark &mark, YAML::anchor_t anchor) override { leaf(nodeOf(Kind::Null, lineOf(mark)), anchor); }
    void OnScalar(const YAML::Mark &mark, const std::string &, YAML::anchor_t anchor, const std::string &value) override
    {
        leaf(nodeOf(Kind::Scalar, lineOf(mark), value), anchor);
    }
    void OnAlias(const YAML::Mark &mark, YAML::anchor_t anchor) override;
    void OnSequenceStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t anchor,
                         YAML::EmitterStyle::value) override
    {
        begin(Kind::Sequence, mark, anchor);
    }
    void OnSequenceEnd() override { end(); }
    void OnMapStart(const YAML::Mark &mark, const std::string &, YAML::anchor_t anchor,
                    YAML::EmitterStyle::value) override
    {
        begin(Kind::Map, mark, anchor);
    }
    void OnMapEnd() override { end(); }

private:
    Slot nextSlot() const;
    void leaf(Node node, YAML::anchor_t anchor);
    void begin(Kind kind, const YAML::Mark &mark, YAML::anchor_t anchor);
    void end();
    void take(Node &&node, Slot slot);
    void takeKey(const Node &node, Frame &map);

    Table table_;
    std::vector<Frame> open_;
    bool rootBegun_ = false;
    Kind rootKind_ = Kind::Null;
    std::optional<Node> body_;
    std::unordered_map<YAML::anchor_t, Node> anchors_;
};

Slot EntryTable::nextSlot() const
{
    if (open_.empty())
        return rootBegun_ ? Slot::Ignored : Slot::Root;
    const Frame &parent = open_.back();
    if (!parent.reads)
        return Slot::Ignored;
    if (parent.kind == Kind::Sequence)
        return Slot::Item;
    if (parent.atKey)
        return Slot::Key;
    if (parent.field < 0)
        return Slot::Ignored;
    return parent.root ? Slot::Body : Slot::Field;
}

void EntryTable::leaf(Node node, YAML::anchor_t anchor)
{
    if (anchor != YAML::NullAnchor)
        anchors_[anchor] = node;
    take(std::move(node), nextSlot());
}

// An alias stands for the node anchored before it. A map still open when an
// alias repeats it (a map inside itself) names no entry there.
void EntryTable::OnAlias(const YAML::Mark &mark, YAML::anchor_t anchor)
{
    const auto anchored = anchors_.find(anchor);
    take(anchored != anchors_.end() ? Node(anchored->second) : nodeOf(Kind::Null, lineOf(mark)), nextSlot());
}

void EntryTable::begin(Kind kind, const YAML::Mark &mark, YAML::anchor_t anchor)
{
    Frame frame;
    frame.kind = kind;
    frame.line = lineOf(mark);
    frame.anchor = anchor;
    frame.slot = nextSlot();
    frame.root = frame.slot == Slot::Root;
    rootBegun_ = true;
    const bool anchored = anchor != YAML::NullAnchor;
    if (kind == Kind::Map) {
        frame.reads = frame.root || frame.slot == Slot::Item || anchored;
    } else {
        frame.reads = frame.slot == Slot::Body || anchored;
        if (frame.reads)
            frame.list = std::make_shared<EntryList>();
    }
    if (anchored)
        anchors_[anchor] = nodeOf(kind, frame.line);
    open_.push_back(std::move(frame));
}

void EntryTable::end()
{
    if (open_.empty())
        return;
    Frame frame = std::move(open_.back());
    open_.pop_back();
    Node node = nodeOf(frame.kind, frame.line);
    if (frame.kind == Kind::Sequence)
        node.list = std::move(frame.list);
    else if (frame.reads && !frame.root)
        node.entry = entryOf(frame.fields, table_);
    if (frame.anchor != YAML::NullAnchor)
        anchors_[frame.anchor] = node;
    take(std::move(node), frame.slot);
}

void EntryTable::takeKey(const Node &node, Frame &map)
{
    map.atKey = false;
    map.field = -1;
    if (node.kind != Kind::Scalar)
        return;
    if (map.root) {
        // The first Body is the one read.
        if (node.text == "Body" && !body_)
            map.field = 0;
        return;
    }
    for (size_t field = 0; field < kFieldNames.size(); ++field) {
        if (node.text == kFieldNames[field] && !map.fields[field].present)
            map.field = int(field);
    }
}

void EntryTable::take(Node &&node, Slot slot)
{
    if (slot == Slot::Root) {
        rootKind_ = node.kind;
        return;
    }
    if (slot == Slot::Ignored && (open_.empty() || !open_.back().reads))
        return;
    Frame &parent = open_.back();
    if (slot == Slot::Key) {
        takeKey(node, parent);
        return;
    }
    if (slot == Slot::Body) {
        body_ = std::move(node);
    } else if (slot == Slot::Field) {
        parent.fields[parent.field] = Value{true, node.kind == Kind::Scalar, std::move(node.text)};
    } else if (slot == Slot::Item && !parent.list->problem) {
        // The first item that names no entry makes the list malformed.
        if (node.entry) {
            parent.list->entries.append(*node.entry);
        } else {
            parent.list->problem = node.line;
            parent.list->entries.clear();
        }
    }
    parent.atKey = true;
    parent.field = -1;
}

Facts EntryTable::facts(const QString &file) const
{
    // A file that is no map at all has no Body that is a list.
    if (rootKind_ != Kind::Map)
        return malformed(file, 0, QStringLiteral("Body is not a list"));
    // A file of imports alone (the Footer) has no Body.
    if (!body_)
        return Facts();
    if (body_->kind != Kind::Sequence || !body_->list)
        return malformed(file, body_->line, QStringLiteral("Body is not a list"));
    if (body_->list->problem)
        return malformed(file, *body_->list->problem, QStringLiteral("an entry without Id or AegisName"));
    Facts facts;
    (table_ == Table::Items ? facts.items : facts.monsters) = body_->list->entries;
    return facts;
}

} // namespace

Facts entryDbYaml(const QByteArray &bytes, const QString &file, Table table)
{
    try {
        ByteBuffer buffer(bytes);
        std::istream stream(&buffer);
        YAML::Parser parser(stream);
        EntryTable entries(table);
        parser.HandleNextDocument(entries);
        return entries.facts(file);
    } catch (const YAML::Exception &exception) {
        return malformed(file, lineOf(exception.mark), QString::fromStdString(exception.msg));
    }
}

} // namespace ServerFolder::Readers
