#include "app/SharedText.h"

#include <QHash>

namespace tallix {
namespace {

// Small enough that a one-line edit renews little, large enough that a text of millions of lines
// needs only some thousands of pieces.
constexpr qsizetype kPieceLength = 4096;

bool samePiece(const QString& a, const QString& b) {
    return a.constData() == b.constData() && a.size() == b.size();
}

} // namespace

SharedText::SharedText(QStringView text) : m_size(text.size()) {
    appendSplit(text);
}

void SharedText::appendSplit(QStringView text) {
    for (qsizetype at = 0; at < text.size(); at += kPieceLength)
        m_pieces.append(text.mid(at, kPieceLength).toString());
}

void SharedText::appendSharing(QStringView text, const QList<QString>& old) {
    qsizetype headCount = 0;
    qsizetype headEnd = 0;
    while (headCount < old.size()) {
        const QString& piece = old[headCount];
        if (headEnd + piece.size() > text.size() || text.mid(headEnd, piece.size()) != piece)
            break;
        headEnd += piece.size();
        ++headCount;
    }
    qsizetype tailFirst = old.size();
    qsizetype tailStart = text.size();
    while (tailFirst > headCount) {
        const QString& piece = old[tailFirst - 1];
        if (tailStart - headEnd < piece.size() ||
            text.mid(tailStart - piece.size(), piece.size()) != piece)
            break;
        tailStart -= piece.size();
        --tailFirst;
    }
    m_pieces += old.mid(0, headCount);
    appendSplit(text.mid(headEnd, tailStart - headEnd));
    m_pieces += old.mid(tailFirst);
}

std::pair<qsizetype, qsizetype> SharedText::pieceAt(qsizetype position) const {
    qsizetype start = 0;
    for (qsizetype index = 0; index < m_pieces.size(); ++index) {
        const qsizetype end = start + m_pieces[index].size();
        if (position < end || index == m_pieces.size() - 1)
            return {index, start};
        start = end;
    }
    return {0, 0};
}

SharedText SharedText::replaced(qsizetype position, qsizetype removed, QStringView inserted) const {
    if (m_pieces.isEmpty())
        return SharedText(inserted);
    const auto [first, firstStart] = pieceAt(position);
    const auto [last, lastStart] =
        removed > 0 ? pieceAt(position + removed - 1) : std::pair{first, firstStart};
    QString touched;
    touched.reserve(position - firstStart + inserted.size() + m_pieces[last].size());
    touched += QStringView(m_pieces[first]).left(position - firstStart);
    touched += inserted;
    touched += QStringView(m_pieces[last]).mid(position + removed - lastStart);

    SharedText text;
    text.m_pieces.reserve(m_pieces.size() + touched.size() / kPieceLength + 1);
    text.m_pieces += m_pieces.mid(0, first);
    text.appendSharing(touched, m_pieces.mid(first, last - first + 1));
    text.m_pieces += m_pieces.mid(last + 1);
    text.m_size = m_size - removed + inserted.size();
    return text;
}

QString SharedText::toString() const {
    QString text;
    text.reserve(m_size);
    for (const QString& piece : m_pieces)
        text += piece;
    return text;
}

QString SharedText::mid(qsizetype position, qsizetype length) const {
    QString text;
    if (length <= 0)
        return text;
    text.reserve(length);
    auto [index, start] = pieceAt(position);
    for (; index < m_pieces.size() && text.size() < length; ++index) {
        const QStringView piece(m_pieces[index]);
        text += piece.mid(position + text.size() - start, length - text.size());
        start += piece.size();
    }
    return text;
}

bool SharedText::operator==(const SharedText& other) const {
    if (m_size != other.m_size)
        return false;
    qsizetype index = 0;
    qsizetype otherIndex = 0;
    qsizetype at = 0;
    qsizetype otherAt = 0;
    while (index < m_pieces.size() && otherIndex < other.m_pieces.size()) {
        const QString& piece = m_pieces[index];
        const QString& otherPiece = other.m_pieces[otherIndex];
        if (at == 0 && otherAt == 0 && samePiece(piece, otherPiece)) {
            ++index;
            ++otherIndex;
            continue;
        }
        const qsizetype length = std::min(piece.size() - at, otherPiece.size() - otherAt);
        if (QStringView(piece).mid(at, length) != QStringView(otherPiece).mid(otherAt, length))
            return false;
        at += length;
        otherAt += length;
        if (at == piece.size()) {
            ++index;
            at = 0;
        }
        if (otherAt == otherPiece.size()) {
            ++otherIndex;
            otherAt = 0;
        }
    }
    return true;
}

std::vector<SharedText::Difference> SharedText::differencesTo(const SharedText& wanted) const {
    const QList<QString>& others = wanted.m_pieces;
    QHash<const QChar*, qsizetype> wantedIndex;
    wantedIndex.reserve(others.size());
    for (qsizetype index = 0; index < others.size(); ++index)
        wantedIndex.insert(others[index].constData(), index);

    std::vector<Difference> differences;
    qsizetype index = 0;
    qsizetype otherIndex = 0;
    qsizetype at = 0;
    qsizetype otherAt = 0;
    while (index < m_pieces.size() || otherIndex < others.size()) {
        if (index < m_pieces.size() && otherIndex < others.size() &&
            samePiece(m_pieces[index], others[otherIndex])) {
            at += m_pieces[index++].size();
            otherAt += others[otherIndex++].size();
            continue;
        }
        // The next piece of this text that `wanted` holds further on ends the stretch.
        qsizetype nextIndex = index;
        qsizetype nextOtherIndex = others.size();
        for (; nextIndex < m_pieces.size(); ++nextIndex) {
            const auto found = wantedIndex.constFind(m_pieces[nextIndex].constData());
            if (found != wantedIndex.constEnd() && *found >= otherIndex &&
                samePiece(others[*found], m_pieces[nextIndex])) {
                nextOtherIndex = *found;
                break;
            }
        }
        Difference difference{at, 0, otherAt, 0};
        for (; index < nextIndex; ++index)
            difference.removed += m_pieces[index].size();
        for (; otherIndex < nextOtherIndex; ++otherIndex)
            difference.inserted += others[otherIndex].size();
        at += difference.removed;
        otherAt += difference.inserted;
        differences.push_back(difference);
    }
    return differences;
}

qsizetype SharedText::charactersNotCounted(QSet<const QChar*>& counted) const {
    qsizetype characters = 0;
    for (const QString& piece : m_pieces) {
        if (!counted.contains(piece.constData())) {
            counted.insert(piece.constData());
            characters += piece.size();
        }
    }
    return characters;
}

} // namespace tallix
