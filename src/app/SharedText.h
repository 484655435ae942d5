#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringView>

namespace tallix {

// A text kept in pieces that are shared with the text it was made from: where two texts differ
// in one line, they share every piece but the one that holds that line. So the snapshots of the
// undo history cost what they change, not a whole copy of a large text each.
class SharedText {
public:
    SharedText() = default;

    // The text, sharing with `previous` each of its pieces that stands unchanged at the same
    // distance from the start or from the end of the text.
    static SharedText of(const QString& text, const SharedText& previous);

    QString toString() const;
    qsizetype size() const { return m_size; }
    bool equals(QStringView text) const;

    // The characters of the pieces not in `counted` yet, which it then holds: summed over
    // several texts, what they hold in memory together.
    qsizetype charactersNotCounted(QSet<const QChar*>& counted) const;

private:
    void appendSplit(QStringView text);

    QList<QString> m_pieces;
    qsizetype m_size = 0;
};

} // namespace tallix
