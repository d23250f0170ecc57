#include "frame/process_state.h"

namespace kst {

ProcessState g_process;

}  // namespace kst
