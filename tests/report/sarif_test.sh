#!/bin/sh
# The audit's SARIF log of the sample theater, checked by the SARIF validator of the format's
# publishers and against the published SARIF 2.1.0 schema (both from the npm package
# @microsoft/sarif-multitool-linux, which ./run test fetches), then read back: a result per
# finding of the JSON, each with the finding's key, and a fix that, put into the L2, is the
# repair it names.
#   sarif_test.sh VANTOR_CLI WORKDIR VALIDATOR_PACKAGE_DIR
# Exit 0: passed; 77: no validator here (skipped); anything else: failed, with the reason.
set -u
cli=$1
work=$2
validator=$3
if [ ! -x "$validator/Sarif.Multitool" ] || [ ! -f "$validator/sarif-2.1.0.json" ]; then
    echo "the SARIF validator is not at $validator (./run test fetches it)"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"
theater=$work/theater
"$cli" sample "$theater" --sections 16 >/dev/null || exit 1
"$cli" --dir "$theater" ocd-generate >/dev/null || exit 1
"$cli" --dir "$theater" --terrain "$theater/Theater.L2" --source "$theater/Theater.csv" \
    --quiet audit --json "$work/audit.json" --sarif "$work/audit.sarif" >/dev/null
status=$?
[ "$status" -eq 3 ] || { echo "the audit ended with status $status"; exit 1; }

# The validator, with the rules of the format and those of GitHub's code scanning: no error,
# whatever it advises.
DOTNET_SYSTEM_GLOBALIZATION_INVARIANT=1 "$validator/Sarif.Multitool" validate "$work/audit.sarif" \
    --rule-kind "Sarif;Gh" -o "$work/validation.sarif" >"$work/validation.txt" 2>&1
status=$?
if [ "$status" -ne 0 ] || grep -q ": error " "$work/validation.txt"; then
    echo "the SARIF validator refused the log (status $status):"
    cat "$work/validation.txt"
    exit 1
fi

python3 - "$work" "$validator/sarif-2.1.0.json" "$cli" "$theater" <<'PY'
import base64, json, shutil, subprocess, sys
try:
    import jsonschema
except ImportError:
    print("python3's jsonschema is not installed (./run test installs it)")
    sys.exit(77)

work, schema_path, cli, theater = sys.argv[1:5]
log = json.load(open(f"{work}/audit.sarif"))
jsonschema.validate(log, json.load(open(schema_path)))
audit = json.load(open(f"{work}/audit.json"))
results = log["runs"][0]["results"]
findings = audit["findings"]
assert len(results) == len(findings), (len(results), len(findings))
fixed = 0
for result, finding in zip(results, findings):
    assert result["ruleId"] == finding["check"], (result["ruleId"], finding["check"])
    assert result["partialFingerprints"]["vantorFindingKey/v1"] == finding["key"]
    assert result["properties"]["mapX"] == finding["mapX"]
    location = result["locations"][0]["physicalLocation"]
    if "objectId" in finding:
        assert location["artifactLocation"]["uri"].endswith("Theater.csv"), location
        assert location["region"]["startLine"] >= 3, location
    else:
        assert location["artifactLocation"]["uri"].endswith("Theater.L2"), location
        assert location["region"]["byteLength"] == 7, location
    # A fix put into a copy of the terrain: info then reads the repair's tile at its post.
    repairs = {s["text"]: s.get("tile") for s in finding["suggestions"]}
    for fix in result.get("fixes", []):
        if fixed >= 3:
            break
        tile = repairs[fix["description"]["text"]]
        copy = f"{work}/fixed{fixed}"
        shutil.rmtree(copy, ignore_errors=True)
        shutil.copytree(theater, copy)
        replacement = fix["artifactChanges"][0]["replacements"][0]
        with open(f"{copy}/Theater.L2", "r+b") as l2:
            l2.seek(replacement["deletedRegion"]["byteOffset"])
            l2.write(base64.b64decode(replacement["insertedContent"]["binary"]))
        info = subprocess.run([cli, "--dir", copy, "--terrain", f"{copy}/Theater.L2", "info",
                               str(tile["mapX"]), str(tile["mapY"])],
                              capture_output=True, text=True).stdout
        assert f"Tile ID# {tile['to']}," in info, (info, tile)
        fixed += 1
assert fixed > 0, "no fix of a tile in the log"
print(f"{len(results)} results, {fixed} fixes put in place and read back")
PY
