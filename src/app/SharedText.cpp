#include "app/SharedText.h"

namespace tallix {
namespace {

// Small enough that a one-line edit renews little, large enough that a text of millions of lines
// needs only some hundreds of pieces.
constexpr qsizetype kPieceLength = 4096;

} // namespace

SharedText SharedText::of(const QString& text, const SharedText& previous) {
    const QStringView view(text);
    const QList<QString>& pieces = previous.m_pieces;
    qsizetype headCount = 0;
    qsizetype headEnd = 0;
    while (headCount < pieces.size()) {
        const QString& piece = pieces[headCount];
        if (headEnd + piece.size() > view.size() || view.mid(headEnd, piece.size()) != piece)
            break;
        headEnd += piece.size();
        ++headCount;
    }
    qsizetype tailFirst = pieces.size();
    qsizetype tailStart = view.size();
    while (tailFirst > headCount) {
        const QString& piece = pieces[tailFirst - 1];
        if (tailStart - headEnd < piece.size() ||
            view.mid(tailStart - piece.size(), piece.size()) != piece)
            break;
        tailStart -= piece.size();
        --tailFirst;
    }
    SharedText shared;
    shared.m_pieces = pieces.mid(0, headCount);
    shared.appendSplit(view.mid(headEnd, tailStart - headEnd));
    shared.m_pieces += pieces.mid(tailFirst);
    shared.m_size = view.size();
    return shared;
}

void SharedText::appendSplit(QStringView text) {
    for (qsizetype at = 0; at < text.size(); at += kPieceLength)
        m_pieces.append(text.mid(at, kPieceLength).toString());
}

QString SharedText::toString() const {
    QString text;
    text.reserve(m_size);
    for (const QString& piece : m_pieces)
        text += piece;
    return text;
}

bool SharedText::equals(QStringView text) const {
    if (text.size() != m_size)
        return false;
    qsizetype at = 0;
    for (const QString& piece : m_pieces) {
        if (text.mid(at, piece.size()) != piece)
            return false;
        at += piece.size();
    }
    return true;
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
