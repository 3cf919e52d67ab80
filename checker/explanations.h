#pragma once

#include "checker/rules.h"

#include <QString>

// The page of each rule, in Japanese: what the rule means, what the server does
// with such a script, a script that breaks the rule and the same script mended.
// `talewick-check --explain TWnnn` prints it; hover shows it under the message.
namespace Explanations {

// A rule's page is part of its declaration, beside the code that checks it.
using Explanation = RuleDeclaration;

// The explanation of `rule`, or nullptr for a value that is no rule.
const Explanation *find(Rule rule);

// Every explanation, in the order of the rules.
const Explanation *begin();
const Explanation *end();

// The whole page: the code, its severity and summary, then the parts above.
QString text(Rule rule);

// What an example writes as "〔FF〕": a byte that is not Shift_JIS, which a page
// can only show in words.
inline constexpr char16_t kByteMarkOpen = u'〔';
inline constexpr char16_t kByteMarkClose = u'〕';

} // namespace Explanations
