#pragma once

#include <QString>

class QTextDocument;

namespace tallix {

// Turns the document's text, `current` (lines separated by '\n'), into `wanted` by editing only
// what differs: the common head and tail stay, and where both middles hold the same number of
// lines only the lines that differ are rewritten. All of it is one edit block, so the document
// lays out the touched lines only and the view keeps its scroll position.
void applySmallestEdit(QTextDocument& document, const QString& current, const QString& wanted);

} // namespace tallix
