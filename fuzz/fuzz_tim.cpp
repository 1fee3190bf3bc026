// Decodes arbitrary bytes as a TIM file, then does what the editor does with a loaded texture: copies it
// into a list and makes the picture the texture view draws.
#include "formats/TimImage.h"
#include "formats/TimList.h"
#include "formats/TimPicture.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto read = polyvane::ReadTim({data, size});
    // Every failure has a message to show.
    if (!read) {
        if (std::strlen(polyvane::TimErrorText(read.error())) == 0)
            __builtin_trap();
        return 0;
    }
    polyvane::TimList list;
    read.value().fileName = "fuzz.tim";
    list.push_back(read.value());
    const polyvane::TimPicture picture = polyvane::MakeTimPicture(list.back());
    if (picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
        __builtin_trap();
    polyvane::RemoveTim(list, "fuzz.tim");
    return 0;
}
