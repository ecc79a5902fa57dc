#include "MisalignedCall.h"

// cdecl: arguments are copied to a fresh stack area whose start (the stack pointer at the call)
// lies `misalignment` bytes above a 16-byte boundary; the caller's frame is restored after.
// Integer and pointer results come back in eax; callers do not use it for float results.
asm(R"(
    .text
    .globl _lyreCallMisaligned
    .def _lyreCallMisaligned; .scl 2; .type 32; .endef
_lyreCallMisaligned:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    movl 20(%ebp), %edx
    leal 0(,%ecx,4), %ebx
    movl %esp, %edi
    subl %ebx, %edi
    subl $32, %edi
    andl $-16, %edi
    addl %edx, %edi
    movl %edi, %esp
    cld
    rep movsl
    movl 8(%ebp), %eax
    call *%eax
    leal -12(%ebp), %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret

    .globl _lyreStackPointerAtCall
    .def _lyreStackPointerAtCall; .scl 2; .type 32; .endef
_lyreStackPointerAtCall:
    leal 4(%esp), %eax
    ret
)");
