#!/usr/bin/env python3
"""Prints what the container of a Kubernetes Indexed Job manifest runs for one
index, one argument a line, as the cluster would expand it: $(NAME) from the
container's env (or given with --env, standing in for the cluster's),
JOB_COMPLETION_INDEX set to the index, volume mount paths moved under a local
folder, and the command's first word replaced by a local program.
With --completions it prints the Job's completion count instead."""
import argparse
import re
import sys

import yaml


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("manifest")
    ap.add_argument("--completions", action="store_true")
    ap.add_argument("--index", type=int, default=0)
    ap.add_argument("--env", action="append", default=[], help="NAME=VALUE for a variable from a secret")
    ap.add_argument("--root", default="", help="local folder standing for the volumes")
    ap.add_argument("--program", default="", help="local path of the container's command")
    a = ap.parse_args()

    with open(a.manifest, encoding="utf-8") as f:
        job = yaml.safe_load(f)
    if job.get("kind") != "Job" or job["spec"].get("completionMode") != "Indexed":
        sys.exit("not an Indexed Job")
    spec = job["spec"]
    if a.completions:
        print(spec["completions"])
        return
    if not 0 <= a.index < spec["completions"]:
        sys.exit("index out of range")
    (container,) = spec["template"]["spec"]["containers"]

    # Values given here stand in for the cluster's (a local server for the
    # catalogue's); variables from secrets are left out unless given.
    env = {"JOB_COMPLETION_INDEX": str(a.index)}
    for e in container.get("env", []):
        if "value" in e:
            env[e["name"]] = str(e["value"])
    env.update(e.split("=", 1) for e in a.env)

    # Kubernetes expands $(NAME) of a defined variable and turns $$ into $.
    def expand(text):
        return re.sub(r"\$\$|\$\(([A-Za-z_][A-Za-z0-9_]*)\)",
                      lambda m: "$" if m.group(0) == "$$" else env.get(m.group(1), m.group(0)), str(text))

    argv = [expand(x) for x in container.get("command", []) + container.get("args", [])]
    if a.program:
        argv[0] = a.program
    for mount in container.get("volumeMounts", []):
        path = mount["mountPath"].rstrip("/")
        argv = [a.root + x if x == path or x.startswith(path + "/") else x for x in argv]
    for x in argv:
        if "\n" in x:
            sys.exit("an argument holds a newline")
        if re.search(r"\$\([A-Za-z_][A-Za-z0-9_]*\)", x):
            sys.exit("no value for a variable in " + x)
        print(x)


main()
