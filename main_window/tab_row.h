#pragma once

class QTabWidget;

// Lays the tabs out so that all of them stand fully in view in one row across the
// tab control's width, with no scroll arrows: narrower padding than the toolkit's
// own, and a face condensed just enough where the captions would still not fit.
void fitTabsInOneRow(QTabWidget *tabs);
