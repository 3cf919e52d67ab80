// A shop's place and its items: "sprite,id:price,id:price,...".
#include "checker/definition_reader.h"

#include <algorithm>

namespace DefinitionLine {

// "-": a shop reached only by "callshop", which only today's servers know.
void Reader::readShopPlace(const Field &place)
{
    if (place.text == u"-") {
        judge(Rule::FloatingShop, kOlderAndLater, 0, place.column, 1);
        return;
    }
    checkPlace(place, 4, 4, true, u"マップ.tsg,x,y,向き");
}

void Reader::readShop(const Field &field)
{
    const Fields all = parts(field, u',');
    readSprite(all.at(0));
    if (all.size() < 2)
        report(Rule::ShopItem, field.column, int(field.text.size()));
    for (int i = 1; i < all.size(); ++i) {
        const Field &item = all.at(i);
        if (i == all.size() - 1 && i > 1 && item.text.trimmed().isEmpty())
            break; // a "," after the last item ends the list as well
        readItem(item);
    }
}

// One "id:price". Today's servers read the two numbers and pass over the rest up to
// the next comma, so an item joined on by another separator is lost without a word;
// an id that is no number ends the list there.
void Reader::readItem(const Field &item)
{
    const int length = std::max(1, int(item.text.size()));
    const qsizetype colon = item.text.indexOf(u':');
    const QStringView id = colon < 0 ? item.text : item.text.first(colon);
    const Field price{item.column + int(colon) + 1, colon < 0 ? QStringView() : item.text.sliced(colon + 1)};
    const int priceRead = scannedInteger(price.text);
    if (colon < 0 || priceRead == 0 || price.text.contains(u':') || !(isInteger(id) || isNameLike(id.trimmed()))) {
        report(Rule::ShopItem, item.column, length);
        return;
    }
    if (!isInteger(id)) {
        judge(Rule::ShopItemName, Target::kToday, 0, item.column, int(id.size()), {id.trimmed().toString()});
        return;
    }
    if (!isInteger(price.text)) {
        // "513:2O": today's servers read a price of 2 and pass over the rest; the
        // older loader stops there. Either way not the price meant.
        report(Rule::ShopItem, item.column, length);
        return;
    }
    colour(Colour::Kind::Number, item.column, int(item.text.size()));
    judgePrice(price);
}

// Price -1 is the item's own price; another negative price falls back to it, and
// a free item in a plain shop is a slip, both with a warning of today's servers.
void Reader::judgePrice(const Field &price)
{
    const int value = price.text.trimmed().toInt();
    const bool plainShop = !kindWord_ || kindWord_->word == u"shop";
    if (value < -1 || (value == 0 && plainShop))
        judge(Rule::ShopPrice, 0, Target::kToday, price.column, int(price.text.size()),
              {price.text.trimmed().toString()});
}

} // namespace DefinitionLine
