// Walks of a list whose records lie anywhere in memory, in an order noted
// when the list was made (the chaining's): the walk asks for the records a
// few places ahead before it needs them. A hint only: a list that no longer
// matches the order is walked as usual.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

template <class T>
class Avance {
public:
    explicit Avance(const std::vector<T*>& ordre) : o_(ordre) {}
    // r is the walk's current record: looked for a little way from the last
    // one (a walk may also step back a little, or the order be stale).
    void Vers(const T* r)
    {
        const size_t fin = std::min(o_.size(), p_ + 16);
        for (size_t q = p_; q < fin; q++) {
            if (o_[q] != r) continue;
            p_ = q;
            if (p_ + 8 < o_.size()) __builtin_prefetch(o_[p_ + 8]);
            return;
        }
    }

private:
    const std::vector<T*>& o_;
    size_t p_ = 0;
};
