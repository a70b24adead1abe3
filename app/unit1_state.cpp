#include "app/unit1_state.h"

namespace app {

Unit1State& Unit1()
{
    static Unit1State state;
    return state;
}

} // namespace app
