// The instruction file reader on arbitrary bytes: it must end, and what it gives (the document
// and its HTML) must be well-formed UTF-8 with no empty runs.
#include "RtfHtmlWriter.h"
#include "RtfReader.h"
#include "Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace Sondrel;
    const auto document =
        TRtfReader::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& paragraph : document.Paragraphs) {
        for (const auto& run : paragraph.Runs) {
            if (run.Text.empty() || !IsValidUtf8(run.Text) || run.Format.HalfPoints < 2 ||
                run.Format.HalfPoints > 3276) {
                __builtin_trap();
            }
        }
    }
    const auto html = RtfToHtml(document);
    if (!IsValidUtf8(html) || (document.Damaged && !html.empty())) {
        __builtin_trap();
    }
    return 0;
}
