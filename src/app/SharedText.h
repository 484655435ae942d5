#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

#include <vector>

namespace tallix {

// A text kept in pieces that are shared with the text it was made from: where two texts differ
// in one line, they share every piece but the one that holds that line. So the snapshots of the
// undo history cost what they change, not a whole copy of a large text each, and two texts can
// be compared and their differences found by looking at the pieces they do not share only.
// A piece is never changed once made.
class SharedText {
public:
    // Where two texts differ: `removed` characters at `position` of one stand where the other
    // holds `inserted` characters at `wantedPosition`.
    struct Difference {
        qsizetype position;
        qsizetype removed;
        qsizetype wantedPosition;
        qsizetype inserted;
    };

    SharedText() = default;
    explicit SharedText(QStringView text);

    // This text with `removed` characters at `position` replaced by `inserted`. The pieces the
    // replacement does not reach stay shared; so do those it reaches but leaves as they were.
    SharedText replaced(qsizetype position, qsizetype removed, QStringView inserted) const;

    QString toString() const;
    QString mid(qsizetype position, qsizetype length) const;
    qsizetype size() const { return m_size; }
    // Pieces both texts share are taken as equal without a look at their characters.
    bool operator==(const SharedText& other) const;

    // The stretches between the pieces this text shares with `wanted`, in order: replacing each
    // by its counterpart in `wanted` gives `wanted`. Costs the pieces not shared, not the text.
    std::vector<Difference> differencesTo(const SharedText& wanted) const;

    // The characters of the pieces not in `counted` yet, which it then holds: summed over
    // several texts, what they hold in memory together.
    qsizetype charactersNotCounted(QSet<const QChar*>& counted) const;

private:
    // Appends `text` in pieces, reusing those of `old` that it holds at the same distance from
    // its start or its end.
    void appendSharing(QStringView text, const QList<QString>& old);
    void appendSplit(QStringView text);
    // The index of the piece that holds `position` (the last one for the end of the text), and
    // where that piece starts.
    std::pair<qsizetype, qsizetype> pieceAt(qsizetype position) const;

    QList<QString> m_pieces;
    qsizetype m_size = 0;
};

} // namespace tallix
