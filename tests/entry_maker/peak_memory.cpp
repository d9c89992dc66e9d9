// peak_memory COMMAND...: runs the command, then prints the most memory it held at once, in KiB,
// as getrusage tells of the children waited for; ends with the command's status.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int
main(int argc, char **argv)
{
	if (argc < 2)
		return 2;
	pid_t child = fork();
	if (child == 0) {
		execvp(argv[1], argv + 1);
		_exit(127);
	}
	int status = 0;
	waitpid(child, &status, 0);
	rusage usage = {};
	getrusage(RUSAGE_CHILDREN, &usage);
	std::printf("%ld\n", usage.ru_maxrss);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
