#pragma once

class QTextDocument;

namespace tallix {

class SharedText;

// Turns the document's text, `current` (lines separated by '\n'), into `wanted` by editing only
// what differs. Only the stretches between the pieces the two texts share are looked at, so a
// one-line difference in a long text costs about one line. In each stretch the common head and
// tail stay, and where both middles hold the same number of lines only the lines that differ
// are rewritten. All of it is one edit block, so the document lays out the touched lines only
// and the view keeps its scroll position.
void applySmallestEdit(QTextDocument& document, const SharedText& current,
                       const SharedText& wanted);

} // namespace tallix
