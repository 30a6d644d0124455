/* Runs a command as on a kernel that links a file in by its handle alone
 * only for a privileged process: every linkat with AT_EMPTY_PATH fails with
 * ENOENT, as it does there for anyone else. Other calls are left alone.
 *   refuse_handle_links COMMAND [ARG...]
 * Exits 77 where the filter cannot be installed (another architecture, or
 * a kernel without seccomp filters). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: refuse_handle_links COMMAND [ARG...]\n");
    return 2;
  }
#if defined(__x86_64__)
  struct sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_linkat, 0, 3),
      /* The flags, the fifth argument: its low word. */
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, args[4])),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, AT_EMPTY_PATH, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOENT & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  struct sock_fprog program = {(unsigned short)(sizeof filter / sizeof filter[0]), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    perror("refuse_handle_links: seccomp");
    return 77;
  }
  execvp(argv[1], argv + 1);
  perror("refuse_handle_links: exec");
  return 127;
#else
  fprintf(stderr, "refuse_handle_links: only x86-64 is filtered\n");
  return 77;
#endif
}
