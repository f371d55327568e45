// Editing against a plain string model, for the property tests: the model of the
// document and its undo history, and the editing steps that run one command on the
// store and the same change on the model.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/support/EditFixture.h"
#include "core/support/TextModel.h"

namespace qv::test {

// Random editing steps: each picks its positions, applies one editing command and
// the same change to the model, and checks what the command answers.
class ModelEditFixture : public EditFixture {
protected:
    std::mt19937 rng;
    uint32_t Below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); }
    bool OneIn(uint32_t n) { return Below(n) == 0; }

    // A position that likes line breaks, line starts and the end of the text.
    CharIndex Position(const Model& model) {
        const CharIndex length = model.Length();
        switch (Below(6)) {
            case 0: {
                size_t cr = model.doc.find('\r', Below(length));
                CharIndex at = cr == std::string::npos ? length - 1 : static_cast<CharIndex>(cr);
                return at + Below(2);  // on a CR or just after it
            }
            case 1: {
                const CharIndex ends[] = {length - 1, length, length + 1, kNoIndex, 0};
                return ends[Below(5)];
            }
            default:
                return Below(length + 1);
        }
    }
    // Mostly short selections in either direction, some empty, some long (more of
    // them while the text is long).
    void SelectSomething(const Model& model, bool big) {
        const CharIndex caret = Position(model);
        CharIndex anchor = caret;
        const uint32_t roll = Below(80);
        if (roll < (big ? 16u : 1u)) {
            anchor = Position(model);
        } else if (roll < 30) {
            anchor = caret < kNoIndex - 4 ? caret + Below(4) : caret;
        } else if (roll < 40) {
            anchor = caret - std::min<CharIndex>(caret, Below(4));
        }
        Select(anchor, caret);
    }
    // Texts of up to nine of these pieces.
    std::vector<std::string> pieces = {"a", "b", " ", "\t", "\r", "\n", "\r\n", "xy", "\r\r\n", "\n\r"};
    std::string RandomText() {
        std::string text;
        for (uint32_t n = Below(10); n > 0; --n) text += pieces[Below(static_cast<uint32_t>(pieces.size()))];
        return text;
    }
    // A text's stored form: CR LF and a lone LF each one CR.
    static std::string Stored(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;
            out += text[i] == '\n' ? '\r' : text[i];
        }
        return out;
    }

    // A typed character over a selection that goes is one undo step with its
    // deletion, the indentation Enter copies included; with nothing deleted the
    // character and each copied blank are a step each.
    void TypeStep(Model& model, uint8_t ch) {
        const bool selected = ed->selAnchor != ed->caretPos;
        Model::Deletion d = model.Delete(ed->selAnchor, ed->caretPos);
        const CharIndex p = model.InsertionPoint(d.start);
        if (ch == '\r' && d.keep) {
            // The kept line break stands for the typed one.
        } else if (ed->overwriteMode && !selected && ch != '\r' && model.doc[p] != '\r') {
            // Overwrite mode replaces only under an empty selection.
            model.doc[p] = static_cast<char>(ch);
        } else {
            model.doc.insert(p, 1, static_cast<char>(ch));
        }
        if (!d.logged) model.Logged();
        CharIndex caret = p + 1;
        if (ch == '\r' && ed->autoIndent) {
            for (char blank : model.IndentBefore(caret)) {
                model.doc.insert(caret++, 1, blank);
                if (!d.logged) model.Logged();
            }
        }
        if (d.logged) model.Logged();
        ASSERT_TRUE(TypeChar(*ed, ch));
        ExpectSelection(caret, caret);
    }

    // A replacement logged for undo (EM_REPLACESEL with wParam set, a paste): one
    // undo step, however much it deleted and inserted.
    void ReplaceStep(Model& model) {
        const std::string text = RandomText();
        const std::string chars = Stored(text);
        Model::Deletion d = model.Delete(ed->selAnchor, ed->caretPos);
        const CharIndex p = model.InsertionPoint(d.start);
        if (d.keep && chars.find('\r') != std::string::npos) model.doc.erase(p, 1);
        model.doc.insert(p, chars);
        if (d.logged || !chars.empty()) model.Logged();

        bool ok = false;
        EXPECT_EQ(ReplaceSelection(*ed, text.c_str(), true, &ok), chars.size());
        EXPECT_TRUE(ok);
        ExpectSelection(p + static_cast<CharIndex>(chars.size()), p + static_cast<CharIndex>(chars.size()));
    }

    void ClearStep(Model& model) {
        Model::Deletion d = model.Delete(ed->selAnchor, ed->caretPos);
        if (d.logged) model.Logged();
        ClearSelection(*ed);
        ExpectSelection(d.start, d.start);
    }

    void DeleteKeyStep(Model& model) {
        const CharIndex p = Position(model);
        Select(p, p);
        uint32_t expected = 0;
        if (p < model.Length() - 1) {
            expected = static_cast<uint8_t>(model.doc[p]);
            model.doc.erase(p, 1);
            model.Logged();
        }
        EXPECT_EQ(DeleteKey(*ed), expected);
    }

    void BackspaceStep(Model& model) {
        const CharIndex c = Position(model);
        Select(c, c);
        uint32_t expected = 0;
        if (c > 0) {
            const CharIndex p = std::min(c - 1, model.Length());
            if (p < model.Length() - 1) {
                expected = static_cast<uint8_t>(model.doc[p]);
                model.doc.erase(p, 1);
                model.Logged();
            }
        }
        EXPECT_EQ(BackspaceKey(*ed), expected);
    }

    void UndoRedoStep(Model& model, bool undo) {
        if (undo) {
            const bool can = model.CanUndo();
            EXPECT_EQ(CanUndo(*ed), can);
            if (can) model.Undo();
            EXPECT_EQ(UndoStep(*ed), can ? UndoResult::Applied : UndoResult::Nothing);
        } else {
            const bool can = model.CanRedo();
            EXPECT_EQ(CanRedo(*ed), can);
            if (can) model.Redo();
            EXPECT_EQ(RedoStep(*ed), can ? UndoResult::Applied : UndoResult::Nothing);
        }
    }

};

}  // namespace qv::test
