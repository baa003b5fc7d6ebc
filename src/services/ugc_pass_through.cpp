// The UGC members that take any arguments. A variadic call leaves its arguments on the
// caller's stack and nobody but the caller knows how many there are, so these members copy
// nothing: they put the implementation's this where their own return address was, call the
// implementation's variadic slot (cdecl, this first), which then finds every word the game
// pushed right above it, and put the return address back. It waits meanwhile in a small
// per-thread stack, the one place a callee cannot overwrite; the stack also serves an
// implementation that calls these members again.
#include "services/ugc_pass_through.h"

#include "core/engine_log.h"
#include "services/resolved_implementations.h"

#if !defined(__i386__)
#error "the UGC pass-through members are written for i386"
#endif

namespace {

const int kMostNestedCalls = 16;

struct ReturnAddresses {
    void* address[kMostNestedCalls];
    int depth;
};

thread_local ReturnAddresses t_returns;

}  // namespace

// Called from the assembly below only, by their plain (C) names.
extern "C" {

__attribute__((used)) static void* UgcTarget()
{
    return QVI_UGCImplementation();
}

// False when the calls are nested too deep: the member then answers at once.
__attribute__((used)) static int KeepReturnAddress(void* address)
{
    ReturnAddresses& returns = t_returns;
    if (returns.depth >= kMostNestedCalls) {
        QVI_Report(QV_LOG_ERROR, "UGC: calls nested more than %d deep are not passed on.", kMostNestedCalls);
        return 0;
    }
    returns.address[returns.depth++] = address;
    return 1;
}

__attribute__((used)) static void* TakeReturnAddress()
{
    ReturnAddresses& returns = t_returns;
    return returns.address[--returns.depth];
}

}  // extern "C"

// Entered with the game's return address at (%esp) and its arguments above; %eax carries the
// byte offset of the slot in the implementation's table (6 and 13 of UGCImplementation).
// Registers: %ecx and %edx are free to use (cdecl), %eax holds nothing for the caller.
asm(R"(
    .text
    .p2align 4
    .globl _QVI_UgcCall1
    .def _QVI_UgcCall1; .scl 2; .type 32; .endef
_QVI_UgcCall1:
    movl $24, %eax
    jmp ugc_pass_through
    .p2align 4
    .globl _QVI_UgcCall8
    .def _QVI_UgcCall8; .scl 2; .type 32; .endef
_QVI_UgcCall8:
    movl $52, %eax
ugc_pass_through:
    pushl %eax
    call _UgcTarget
    testl %eax, %eax
    jz ugc_no_service
    pushl %eax
    pushl 8(%esp)
    call _KeepReturnAddress
    addl $4, %esp
    testl %eax, %eax
    popl %eax
    popl %ecx
    jz ugc_answered
    movl %eax, (%esp)
    movl (%eax), %edx
    call *(%edx,%ecx)
    call _TakeReturnAddress
    movl %eax, (%esp)
    ret
ugc_no_service:
    addl $4, %esp
ugc_answered:
    ret
)");
