#!/usr/bin/env python3
"""Validates SARIF logs against the SARIF 2.1.0 schema kept beside this file.

Arguments: the talewick-check program, the folder of sample scripts, and the
program that prints a log with related places and fixes. Each log is checked
against the schema, and every result must point at a rule of its run.
"""
import json
import pathlib
import subprocess
import sys

import jsonschema

HERE = pathlib.Path(__file__).resolve().parent


def logs(check_tool, scripts, sample_program):
    # The samples hold errors and warnings; the missing file makes the run unsuccessful.
    yield "samples", subprocess.run([check_tool, "--format", "sarif", ".", "no_such_script.txt"], cwd=scripts,
                                    capture_output=True, check=False).stdout
    yield "clean", subprocess.run([check_tool, "--format", "sarif", "clean_harbor.txt"], cwd=scripts,
                                  capture_output=True, check=True).stdout
    yield "related places and fixes", subprocess.run([sample_program], capture_output=True, check=True).stdout


def main():
    check_tool, scripts, sample_program = sys.argv[1:4]
    schema = json.loads((HERE / "sarif-schema-2.1.0.json").read_text(encoding="utf-8"))
    validator = jsonschema.Draft7Validator(schema)
    failed = 0
    for name, output in logs(check_tool, scripts, sample_program):
        log = json.loads(output)
        errors = sorted(validator.iter_errors(log), key=lambda e: list(e.absolute_path))
        for error in errors:
            print(f"{name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
        for run in log["runs"]:
            rules = run["tool"]["driver"]["rules"]
            for result in run["results"]:
                if rules[result["ruleIndex"]]["id"] != result["ruleId"]:
                    print(f"{name}: result {result['ruleId']} points at rule {result['ruleIndex']}")
                    errors.append(result)
        count = sum(len(run["results"]) for run in log["runs"])
        print(f"{name}: {count} results, {'valid' if not errors else 'INVALID'}")
        failed += bool(errors)
    print(f"{3 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
