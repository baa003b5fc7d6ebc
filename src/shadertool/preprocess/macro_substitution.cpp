#include "shadertool/preprocess/macro_substitution.h"

#include "shadertool/core/text_hash.h"

#include "shadertool/preprocess/tokenizer.h"

#include <cstdlib>
#include <cstring>

namespace ShaderTool {

namespace {

// Values of text macros can name later text macros; the chain is short in practice and
// cut off here.
const int kMaxExpansionDepth = 32;

bool IsWordName(const char* name)
{
    if (!name || !name[0])
        return false;
    for (const char* p = name; *p; ++p) {
        if (!IsIdentifierPart(static_cast<unsigned char>(*p)))
            return false;
    }
    return true;
}

class Substitution {
public:
    Substitution(const Array<Macro>& macros, TextBuilder& out) : macros_(macros), out_(out)
    {
        replacements_ = new String[macros.count > 0 ? macros.count : 1];
        slotCount_ = 64;
        while (slotCount_ < 2 * macros.count + 1)
            slotCount_ *= 2;
        slots_ = static_cast<int32_t*>(malloc(sizeof(int32_t) * static_cast<size_t>(slotCount_)));
        if (slots_) {
            for (int32_t i = 0; i < slotCount_; ++i)
                slots_[i] = -1;
        }
        for (int32_t i = 0; i < macros.count; ++i) {
            const char* name = macros.data[i].name.text;
            if (!IsWordName(name))
                continue;   // no word of the text can equal it
            Insert(name, i);
        }
    }

    ~Substitution()
    {
        delete[] replacements_;
        free(slots_);
    }

    Substitution(const Substitution&) = delete;
    Substitution& operator=(const Substitution&) = delete;

    void Run(const char* text, int32_t length)
    {
        int32_t position = 0;
        while (position < length) {
            const char* lineFeed = static_cast<const char*>(memchr(text + position, '\n', length - position));
            int32_t lineEnd = lineFeed ? static_cast<int32_t>(lineFeed - text) + 1 : length;
            int32_t first = position;
            while (first < lineEnd && IsBlank(static_cast<unsigned char>(text[first])))
                ++first;
            if (first < lineEnd && text[first] == '@')
                out_.Append(text + position, lineEnd - position);
            else
                Expand(text + position, lineEnd - position, 0, 0);
            position = lineEnd;
        }
    }

private:
    // Copies text, replacing words that name a macro at or after minimumIndex.
    void Expand(const char* text, int32_t length, int32_t minimumIndex, int depth)
    {
        int32_t position = 0;
        while (position < length) {
            int32_t start = position;
            if (!IsIdentifierPart(static_cast<unsigned char>(text[position]))) {
                while (position < length && !IsIdentifierPart(static_cast<unsigned char>(text[position])))
                    ++position;
                out_.Append(text + start, position - start);
                continue;
            }
            while (position < length && IsIdentifierPart(static_cast<unsigned char>(text[position])))
                ++position;
            int32_t index = Find(text + start, position - start);
            if (index < minimumIndex || depth >= kMaxExpansionDepth) {
                out_.Append(text + start, position - start);
                continue;
            }
            const char* replacement = Replacement(index);
            Expand(replacement, static_cast<int32_t>(strlen(replacement)), index + 1, depth + 1);
        }
    }

    // A macro's text as it replaces its name, made when the name is first met: most macros
    // (the built-in ones, the general constants) are never used by a given source.
    const char* Replacement(int32_t index)
    {
        String& replacement = replacements_[index];
        if (!replacement.text) {
            const PreprocessorValue& macroValue = macros_.data[index].value;
            TextBuilder value;
            macroValue.AppendTextForm(value);
            // By its text, so that -0.0 counts too.
            if (macroValue.IsNumeric() && value.Text()[0] == '-') {
                TextBuilder wrapped;
                wrapped.AppendChar('(');
                wrapped.Append(value.Text(), value.Length());
                wrapped.AppendChar(')');
                wrapped.MoveInto(replacement);
            } else {
                value.MoveInto(replacement);
            }
            if (!replacement.text)
                replacement.Assign("");
        }
        return replacement.text;
    }

    void Insert(const char* name, int32_t index)
    {
        if (!slots_)
            return;
        int32_t length = static_cast<int32_t>(strlen(name));
        uint32_t mask = static_cast<uint32_t>(slotCount_ - 1);
        for (uint32_t slot = HashText(name, static_cast<size_t>(length)) & mask;; slot = (slot + 1) & mask) {
            int32_t existing = slots_[slot];
            if (existing < 0) {
                slots_[slot] = index;
                return;
            }
            if (strcmp(macros_.data[existing].name.text, name) == 0)
                return;   // the first macro of a name wins
        }
    }

    int32_t Find(const char* word, int32_t length) const
    {
        if (!slots_)
            return -1;
        uint32_t mask = static_cast<uint32_t>(slotCount_ - 1);
        for (uint32_t slot = HashText(word, static_cast<size_t>(length)) & mask;; slot = (slot + 1) & mask) {
            int32_t index = slots_[slot];
            if (index < 0)
                return -1;
            const char* name = macros_.data[index].name.text;
            if (strncmp(name, word, static_cast<size_t>(length)) == 0 && name[length] == '\0')
                return index;
        }
    }

    const Array<Macro>& macros_;
    TextBuilder& out_;
    String* replacements_ = nullptr;
    int32_t* slots_ = nullptr;
    int32_t slotCount_ = 0;
};

} // namespace

void SubstituteMacros(const Array<Macro>& macros, const char* text, int32_t length, TextBuilder& out)
{
    if (!text || length <= 0)
        return;
    Substitution substitution(macros, out);
    substitution.Run(text, length);
}

} // namespace ShaderTool
