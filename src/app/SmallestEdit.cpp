#include "app/SmallestEdit.h"

#include "app/SharedText.h"

#include <QTextCursor>
#include <QTextDocument>

#include <vector>

namespace tallix {
namespace {

// One replacement: `removed` characters at `position` of the current text give way to `inserted`.
struct Replacement {
    qsizetype position;
    qsizetype removed;
    QStringView inserted;
};

// Cuts the common head and tail off a pair of texts; what is left is the part that differs.
Replacement differingPart(qsizetype offset, QStringView from, QStringView to) {
    const qsizetype shorter = std::min(from.size(), to.size());
    qsizetype head = 0;
    while (head < shorter && from[head] == to[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && from[from.size() - 1 - tail] == to[to.size() - 1 - tail])
        ++tail;
    return {offset + head, from.size() - head - tail, to.mid(head, to.size() - head - tail)};
}

// Pairs the lines of two middles with the same line count and keeps the pairs that differ.
std::vector<Replacement> lineReplacements(qsizetype offset, QStringView from, QStringView to) {
    std::vector<Replacement> replacements;
    qsizetype fromLine = 0;
    qsizetype toLine = 0;
    while (fromLine <= from.size()) {
        qsizetype fromEnd = from.indexOf(QLatin1Char('\n'), fromLine);
        qsizetype toEnd = to.indexOf(QLatin1Char('\n'), toLine);
        if (fromEnd < 0)
            fromEnd = from.size();
        if (toEnd < 0)
            toEnd = to.size();
        const QStringView fromText = from.mid(fromLine, fromEnd - fromLine);
        const QStringView toText = to.mid(toLine, toEnd - toLine);
        if (fromText != toText)
            replacements.push_back(differingPart(offset + fromLine, fromText, toText));
        fromLine = fromEnd + 1;
        toLine = toEnd + 1;
    }
    return replacements;
}

// The replacements that turn `current` into `wanted`, both found at `offset` of the document.
void addReplacements(std::vector<Replacement>& replacements, qsizetype offset, QStringView current,
                     QStringView wanted) {
    const Replacement middle = differingPart(offset, current, wanted);
    if (middle.removed == 0 && middle.inserted.isEmpty())
        return;
    const QStringView from = current.mid(middle.position - offset, middle.removed);
    if (from.count(QLatin1Char('\n')) != middle.inserted.count(QLatin1Char('\n'))) {
        replacements.push_back(middle);
        return;
    }
    const std::vector<Replacement> lines = lineReplacements(middle.position, from, middle.inserted);
    replacements.insert(replacements.end(), lines.begin(), lines.end());
}

void applyReplacements(QTextDocument& document, const std::vector<Replacement>& replacements) {
    if (replacements.empty())
        return;
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // From the last to the first, so that each position still counts in the current text.
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
        cursor.setPosition(static_cast<int>(it->position));
        cursor.setPosition(static_cast<int>(it->position + it->removed), QTextCursor::KeepAnchor);
        cursor.insertText(it->inserted.toString());
    }
    cursor.endEditBlock();
}

} // namespace

void applySmallestEdit(QTextDocument& document, const SharedText& current,
                       const SharedText& wanted) {
    // The stretches' texts must outlive the replacements that look into them.
    std::vector<std::pair<QString, QString>> stretches;
    const std::vector<SharedText::Difference> differences = current.differencesTo(wanted);
    stretches.reserve(differences.size());
    std::vector<Replacement> replacements;
    for (const SharedText::Difference& difference : differences) {
        const auto& [from, to] =
            stretches.emplace_back(current.mid(difference.position, difference.removed),
                                   wanted.mid(difference.wantedPosition, difference.inserted));
        addReplacements(replacements, difference.position, from, to);
    }
    applyReplacements(document, replacements);
}

} // namespace tallix
