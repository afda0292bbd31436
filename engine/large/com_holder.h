// The large-file tool's name for the engine's owner of a COM interface pointer.
#pragma once

#include "engine/com_holder.h"

namespace pm::large {

using pm::ComHolder;

}  // namespace pm::large
