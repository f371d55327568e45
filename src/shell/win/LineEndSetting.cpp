#include "shell/win/LineEndSetting.h"

#include "base/win/ControlBlock.h"
#include "quorvane.h"

namespace qv {
namespace {

uint32_t Style(EditorInstance& ed) { return PrivateOf(ed).lineEnds & QV_LINEENDS_STYLEMASK; }

LineEnd ChosenLineEnd(uint32_t style, LineEnd byDefault) {
    switch (style) {
        case QV_LINEENDS_CRLF:
            return LineEnd::CrLf;
        case QV_LINEENDS_LF:
            return LineEnd::Lf;
        case QV_LINEENDS_CR:
            return LineEnd::Cr;
        default:
            return byDefault;
    }
}

}  // namespace

bool IsLineEndSetting(uint32_t value) {
    return (value & ~static_cast<uint32_t>(QV_LINEENDS_STYLEMASK | QV_LINEENDS_NOFINAL)) == 0 &&
           (value & QV_LINEENDS_STYLEMASK) <= QV_LINEENDS_CR;
}

LineEnd CopiedLineEnd(EditorInstance& ed) { return ChosenLineEnd(Style(ed), LineEnd::Cr); }

LineEnd StreamedLineEnd(EditorInstance& ed) { return ChosenLineEnd(Style(ed), LineEnd::CrLf); }

bool StreamsFinalLineEnd(EditorInstance& ed) { return (PrivateOf(ed).lineEnds & QV_LINEENDS_NOFINAL) == 0; }

bool LengthCountsCrLf(EditorInstance& ed) {
    return Style(ed) == QV_LINEENDS_DEFAULT || Style(ed) == QV_LINEENDS_CRLF;
}

void RememberLoadedLineEnds(EditorInstance& ed, LineEndKind kind) {
    uint32_t value = QV_LINEENDS_NONE;
    switch (kind) {
        case LineEndKind::CrLf:
            value = QV_LINEENDS_CRLF;
            break;
        case LineEndKind::Lf:
            value = QV_LINEENDS_LF;
            break;
        case LineEndKind::Cr:
            value = QV_LINEENDS_CR;
            break;
        case LineEndKind::Mixed:
            value = QV_LINEENDS_MIXED;
            break;
        case LineEndKind::None:
            break;
    }
    PrivateOf(ed).loadedLineEnds = value;
}

uint32_t LoadedLineEndsValue(EditorInstance& ed) {
    const uint32_t value = PrivateOf(ed).loadedLineEnds;
    return value == 0 ? QV_LINEENDS_NONE : value;
}

}  // namespace qv
