#include "gtk/Cp949.h"

#include <glibmm/convert.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Code page 949 as the C library's converter has it, in two tables made once from every two-byte
// sequence: the update step converts the whole message at every change, and the converter itself
// takes some 3 ns a byte each way, more than GTK's own work on a keystroke in a long text.
class CodePage {
public:
    static const CodePage& Get() {
        static const CodePage page;
        return page;
    }

    CString FromUtf8(std::string_view text) const {
        CString bytes;
        char* const start = bytes.GetBuffer(static_cast<int>(text.size()));  // never longer than UTF-8
        char* out = start;
        const auto* in = reinterpret_cast<const unsigned char*>(text.data());
        for (const auto* end = in + text.size(); in < end;) {
            // Decoded here rather than by GLib: a call per character would take most of the time.
            std::size_t character = *in;
            if (character < 0x80) {
                *out++ = static_cast<char>(*in++);
                continue;
            }
            if (character < 0xe0) {
                character = (character & 0x1f) << 6 | (in[1] & 0x3f);
                in += 2;
            } else if (character < 0xf0) {
                character = (character & 0x0f) << 12 | (in[1] & 0x3f) << 6 | (in[2] & 0x3f);
                in += 3;
            } else {
                character = m_encoded.size();  // beyond the Basic Multilingual Plane, and the code page
                in += 4;
            }
            const std::uint16_t pair = character < m_encoded.size() ? m_encoded[character] : 0;
            if (pair == 0) {
                *out++ = '?';
            } else {
                *out++ = static_cast<char>(pair >> 8);
                *out++ = static_cast<char>(pair & 0xff);
            }
        }
        bytes.ReleaseBuffer(static_cast<int>(out - start));
        return bytes;
    }

    Glib::ustring ToUtf8(const CString& bytes) const {
        std::string text(static_cast<std::size_t>(bytes.GetLength()) * 3 / 2 + 1, '\0');  // 2 bytes become 3 at most
        char* out = text.data();
        const auto* in = reinterpret_cast<const unsigned char*>(static_cast<const char*>(bytes));
        for (const auto* end = in + bytes.GetLength(); in < end;) {
            const unsigned character = *in < 0x80 || in + 1 == end ? 0 : Decoded(in[0], in[1]);
            if (character == 0) {
                *out++ = *in < 0x80 ? static_cast<char>(*in) : '?';
                ++in;
                continue;
            }
            if (character < 0x800) {
                *out++ = static_cast<char>(0xc0 | character >> 6);
            } else {
                *out++ = static_cast<char>(0xe0 | character >> 12);
                *out++ = static_cast<char>(0x80 | (character >> 6 & 0x3f));
            }
            *out++ = static_cast<char>(0x80 | (character & 0x3f));
            in += 2;
        }
        text.resize(static_cast<std::size_t>(out - text.data()));
        return Glib::ustring(std::move(text));
    }

private:
    static constexpr int kTrails = 0xff - 0x41;  // a trail byte is 0x41 to 0xfe, a lead byte 0x81 to 0xfe

    CodePage() : m_decoded(kTrails * (0xff - 0x81)), m_encoded(0x10000) {
        Glib::IConv iconv("WCHAR_T", "CP949");  // UCS-4: no step beyond the code page's own
        for (int lead = 0x81; lead < 0xff; ++lead) {
            for (int trail = 0x41; trail < 0xff; ++trail) {
                char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t character = 0;
                char* in = pair;
                char* out = reinterpret_cast<char*>(&character);
                gsize inLeft = sizeof pair, outLeft = sizeof character;
                // Some sequences give no character at all without an error.
                if (iconv.iconv(&in, &inLeft, &out, &outLeft) != 0 || outLeft != 0) {
                    iconv.reset();
                    continue;
                }
                if (static_cast<std::size_t>(character) >= m_encoded.size()) continue;
                const auto unit = static_cast<std::uint16_t>(character);
                m_decoded[(lead - 0x81) * kTrails + trail - 0x41] = unit;
                // Where two sequences give one character, the first is its encoding, as the converter has it.
                if (m_encoded[unit] == 0) m_encoded[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
    }

    unsigned Decoded(unsigned char lead, unsigned char trail) const {
        return lead > 0x80 && lead < 0xff && trail >= 0x41 && trail < 0xff
                   ? m_decoded[(lead - 0x81) * kTrails + trail - 0x41]
                   : 0;
    }

    std::vector<std::uint16_t> m_decoded;  // by lead and trail byte: the character, or 0
    std::vector<std::uint16_t> m_encoded;  // by character of the Basic Multilingual Plane: lead << 8 | trail, or 0
};

}  // namespace

CString ToCp949(std::string_view text) { return CodePage::Get().FromUtf8(text); }

Glib::ustring FromCp949(const CString& bytes) { return CodePage::Get().ToUtf8(bytes); }
