#pragma once
#include <cstdint>
#include "base/Array.h"

namespace KIV {

// The editor's insertion into an owned list: right after the selection when
// there is one, else at the end; the new item becomes the selection.
template <typename T>
void InsertAfterSelection(PtrArray<T>& list)
{
    const int32_t count = list.Count();
    const int32_t selected = list.GetSelectedIndex();
    int32_t index = count;
    if (selected >= 0 && selected <= count && count > 0) index = selected + 1;
    else list.SetSelectedIndex(count);
    if (list.InsertNew(index) && index < list.Count()) list.SetSelectedIndex(index);
}

} // namespace KIV
