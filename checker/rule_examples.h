#pragma once

// The definition line most examples of a rule's page begin with, and the end of
// its body. Macros, so that an example stays one literal.
#define EXAMPLE_NPC u"harbor01.tsg,150,120,4\tscript\t案内\t56,{\n"
#define EXAMPLE_END u"}\n"
