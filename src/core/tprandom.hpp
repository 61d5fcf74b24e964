#pragma once
// The small linear generator used to scramble archive tables, to order the
// blocks of layered images and by the dither wipe: x := 5x + key (mod 2^32).
#include <cstdint>

namespace mivo {

class TTpRandom {
public:
    static constexpr uint32_t kArchiveKey = 1480362517u;

    explicit TTpRandom(uint32_t key = kArchiveKey, uint32_t state = 0) : state_(state), key_(key) {}

    uint32_t Next() {
        state_ = state_ * 5u + key_;
        return state_;
    }
    uint32_t State() const { return state_; }
    void SetState(uint32_t s) { state_ = s; }
    uint32_t Key() const { return key_; }

private:
    uint32_t state_;
    uint32_t key_;
};

}  // namespace mivo
