#include "frame/threads/process_state.h"

namespace kst {

ProcessState g_process;

}  // namespace kst
