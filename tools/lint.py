#!/usr/bin/env python3
"""Static analysis of the project's own C++ code, as `make lint` runs it.

Takes every source file that the given CMake build directories compile (from their
compile_commands.json; a file compiled by several builds is taken once, with the flags of the
first build that compiles it), leaves out what lies outside the checkout or inside a build
directory (generated files), and runs on them:

- clang-tidy, with the checks of .clang-tidy (and tests/.clang-tidy), on each file in parallel,
  the project's own headers included;
- cppcheck, with the suppressions of tools/cppcheck-suppressions.txt and the marks in the code.

Prints every finding and exits with status 1 when there is any, 0 when both are clean.

Usage: tools/lint.py [-j JOBS] BUILD_DIR [BUILD_DIR...]
"""

import argparse
import concurrent.futures
import json
import os
import re
import subprocess
import sys

TOP = os.path.realpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

# A line of clang-tidy's output that reports a finding (as opposed to its notes and the source
# lines it quotes).
FINDING = re.compile(r"^\S+:\d+:\d+: (warning|error): ")


def own_sources(build_dirs):
    """The compile commands of the checkout's own sources, one per file, in build order."""
    builds = [os.path.realpath(d) for d in build_dirs]
    entries = {}
    for build in builds:
        path = os.path.join(build, "compile_commands.json")
        with open(path, encoding="utf-8") as db:
            for entry in json.load(db):
                source = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
                inside = source.startswith(TOP + os.sep)
                generated = any(source.startswith(b + os.sep) for b in builds) or os.path.relpath(
                    source, TOP
                ).startswith("build")
                if inside and not generated and source not in entries:
                    entries[source] = dict(entry, file=source)
    return list(entries.values())


def clang_tidy(db_dir, source):
    """Runs clang-tidy on one file; returns its exit status and its report.

    The header filter keeps out what clang-tidy finds in other headers, but not a finding that
    one of its notes ties to the project's code: the analyzer's path from a call in our file into
    a library's header, or a system header's declaration that our definition contradicts. Those
    concern our code, and are reported wherever they are located.
    """
    result = subprocess.run(
        ["clang-tidy", "-p", db_dir, "--quiet", "--header-filter=^" + TOP + "/", source],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        check=False,
    )
    # stderr only counts the diagnostics that were filtered out ("N warnings generated.") unless
    # something went wrong.
    noise = re.compile(r"^\d+ warnings? (and \d+ errors? )?generated\.$|^Suppressed \d+ warnings")
    errors = [line for line in result.stderr.splitlines() if line and not noise.match(line)]
    return result.returncode, result.stdout, errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-j", "--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("build_dirs", nargs="+")
    args = parser.parse_args()

    entries = own_sources(args.build_dirs)
    if not entries:
        print("lint: no sources found in " + " ".join(args.build_dirs), file=sys.stderr)
        return 1
    db_dir = os.path.join(os.path.realpath(args.build_dirs[0]), "lint")
    os.makedirs(db_dir, exist_ok=True)
    db = os.path.join(db_dir, "compile_commands.json")
    with open(db, "w", encoding="utf-8") as out:
        json.dump(entries, out, indent=1)
    sources = sorted(e["file"] for e in entries)

    # clang-tidy, file by file. A header's findings are reported once, however many files
    # include it.
    print(f"lint: clang-tidy on {len(sources)} files", flush=True)
    tidy_failed = []
    reported = set()
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        for source, (status, report, errors) in zip(
            sources, pool.map(lambda s: clang_tidy(db_dir, s), sources)
        ):
            findings = [line for line in report.splitlines() if FINDING.match(line)]
            fresh = [line for line in findings if line not in reported]
            reported.update(findings)
            if fresh:
                print(report, end="" if report.endswith("\n") else "\n")
            if errors:
                print("\n".join(errors), file=sys.stderr)
            if status != 0 or findings or errors:
                tidy_failed.append(os.path.relpath(source, TOP))
    print(f"lint: clang-tidy: {len(reported)} findings", flush=True)

    # cppcheck, on the same files with the same flags.
    print(f"lint: cppcheck on {len(sources)} files", flush=True)
    cppcheck = subprocess.run(
        [
            "cppcheck",
            "--project=" + db,
            "--enable=warning,performance,portability,style",
            "--library=googletest",
            "--library=opengl",
            "--library=posix",
            "--inline-suppr",
            "--suppressions-list=" + os.path.join(TOP, "tools", "cppcheck-suppressions.txt"),
            "--error-exitcode=1",
            "--quiet",
            "-j",
            str(args.jobs),
            "--template={file}:{line}:{column}: {severity}: {message} [{id}]\\n{code}",
        ],
        cwd=TOP,
        check=False,
    )
    print(f"lint: cppcheck: {'clean' if cppcheck.returncode == 0 else 'findings'}", flush=True)

    if tidy_failed or cppcheck.returncode != 0:
        if tidy_failed:
            print("lint: clang-tidy findings in: " + " ".join(tidy_failed), file=sys.stderr)
        print("lint: FAILED", file=sys.stderr)
        return 1
    print("lint: clean")
    return 0


if __name__ == "__main__":
    sys.exit(main())
