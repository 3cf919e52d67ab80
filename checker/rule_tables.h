#pragma once

#include "checker/rule_declaration.h"

// The declarations of each layer, each defined beside the code that checks them.
// A new layer adds its table here and to the list in rules.cpp.
namespace RuleTables {

RuleTable statements();  // statement_rules.cpp: what the statement parser reports
RuleTable bodies();      // body_rules.cpp: strings, comments, braces, lines outside bodies
RuleTable labels();      // label_rules.cpp: jumps, labels and functions
RuleTable definitions(); // definition_line_rules.cpp
RuleTable codePage();    // code_page_rules.cpp
RuleTable windows();     // window_rules.cpp: the conversation window along each path
RuleTable unreachable(); // unreachable_rule.cpp
RuleTable variables();   // variable_rules.cpp
RuleTable serverFolder(); // server_rules.cpp: names the server's own folder knows
RuleTable directives();  // directives.cpp

} // namespace RuleTables
