#!/usr/bin/env python3
"""Checks velmora's JSON documents against docs/velmora.schema.json.

    check-json-schema.py SCHEMA DIR

Every DIR/NNN-<definition>.json is validated against the schema's $defs/<definition>; a
watch-event file holds one JSON object a line. Exit 1 when a document is not valid, a file names no
definition, a key comes twice, or DIR holds no document (a run that wrote nothing proves nothing).
"""
import json
import os
import re
import sys

try:
    from jsonschema import Draft202012Validator
    from jsonschema.exceptions import best_match
except ImportError:
    # python3 on PATH may be another interpreter (pyenv, a venv) than the one Debian's package is for.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != "/usr/bin/python3":
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    sys.exit("check-json-schema.py: no jsonschema module: install python3-jsonschema (tools/setup.sh)")


def unique_keys(pairs):
    keys = [key for key, _ in pairs]
    if len(set(keys)) != len(keys):
        raise ValueError("a key given twice")
    return dict(pairs)


def main(schema_path, directory):
    with open(schema_path, encoding="utf-8") as file:
        schema = json.load(file)
    Draft202012Validator.check_schema(schema)
    definitions = schema["$defs"]
    names = sorted(n for n in os.listdir(directory) if n.endswith(".json")) if os.path.isdir(directory) else []
    if not names:
        print(f"{directory}: no documents: the run that writes them wrote none")
        return 1
    failed = 0
    for name in names:
        match = re.match(r"^[0-9]+-([a-z0-9-]+)\.json$", name)
        if not match or match.group(1) not in definitions:
            print(f"{name}: not named NNN-<definition>.json after one of the schema's $defs")
            failed += 1
            continue
        definition = match.group(1)
        validator = Draft202012Validator({"$schema": schema["$schema"], "$defs": definitions,
                                          "$ref": "#/$defs/" + definition})
        with open(os.path.join(directory, name), encoding="utf-8") as file:
            text = file.read()
        documents = text.splitlines() if definition == "watch-event" else [text]
        for number, document in enumerate(d for d in documents if d.strip()):
            try:
                error = best_match(validator.iter_errors(json.loads(document, object_pairs_hook=unique_keys)))
            except ValueError as problem:
                print(f"{name}:{number + 1}: not JSON: {problem}")
                failed += 1
                continue
            if error is not None:
                at = "".join(f"/{part}" for part in error.absolute_path) or "/"
                print(f"{name}:{number + 1}: {at}: {error.message[:400]}")
                failed += 1
    print(f"{len(names)} files checked against {os.path.basename(schema_path)}, {failed} problems")
    return 1 if failed else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: check-json-schema.py SCHEMA DIR")
    sys.exit(main(sys.argv[1], sys.argv[2]))
