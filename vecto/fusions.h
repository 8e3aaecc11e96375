// The quadrilateral and vector fusions of the vectorisation command.
#pragma once

#include <functional>

// Chaining and fusion of the quadrilaterals until nothing merges, then the
// same for the vectors. The two touch only their own lists and read Plan1,
// so on a large drawing the vectors' go on a second thread when one is
// allowed (Fils_permis), the thresholds read silently and the log shown in
// the same order: the lists and the log are those of the single thread.
// True when the vectors' went on a second thread; `ensuite` then runs there
// after them, beside the quadrilaterals' (it must only read the vectors).
bool Fusions_quads_vecteurs(const std::function<void()>& ensuite = {});
