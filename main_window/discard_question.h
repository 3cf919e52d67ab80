#pragma once

class QWidget;

// "編集中のスクリプトを破棄して開きますか？", asked before an opened script replaces
// text the user changed. True when the user answered はい.
bool userAgreesToDiscardScript(QWidget *parent);
