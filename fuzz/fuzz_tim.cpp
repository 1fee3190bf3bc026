// Loads arbitrary bytes as a TIM file, then does what the editor does with a loaded texture: copies it
// into a list and makes the picture the texture view draws.
#include "platform/MessageBox.h"
#include "texture/TimList.h"
#include "texture/TimPicture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    polyvane::HeadlessMessageBox box;
    polyvane::ScopedMessageBox scoped(box);
    polyvane::TimImage tim;
    tim.fileName = "fuzz.tim";
    const bool ok = tim.LoadTimFromBytes({data, size});
    // Exactly one message on failure, none on success.
    if (box.Texts().size() != (ok ? 0u : 1u))
        __builtin_trap();
    if (ok) {
        polyvane::TimList list;
        list.push_back(tim);
        const polyvane::TimPicture picture = polyvane::MakeTimPicture(list.back());
        if (picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
            __builtin_trap();
        polyvane::RemoveTim(list, "fuzz.tim");
    }
    return 0;
}
