#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into a minimal Debian 12 root and runs it there:
#   scripts/test-clean-install.sh [PACKAGE.deb]   (default: the one scripts/package.sh builds)
# Run by hand, not by scripts/test.sh: it downloads a base system. Needs root and
# mmdebstrap. In the new root `apt-get install --no-install-recommends
# ./nimbrell_*.deb` alone must bring everything the program needs; then the
# installed program there must
#   - say the package's version,
#   - draw the widget without a desktop (--render) from its built-in service,
#   - refuse a forecast server on loopback whose certificate a test authority
#     signed, while that authority is unknown, and fetch the forecast over HTTPS
#     from it once the authority is added to the root's certificate store.
# Leaves the drawn pictures in clean-install/ for a look.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "test-clean-install.sh: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "builds a root file system with chroot, so it needs root"
command -v mmdebstrap > /dev/null || fail "needs mmdebstrap (apt-get install mmdebstrap)"
if [ $# -ge 1 ]; then
  deb=$(realpath "$1")
else
  deb=$(./scripts/package.sh)
fi
[ -f "$deb" ] || fail "no package at $deb"
out=$PWD/clean-install
rm -rf "$out"
mkdir -p "$out"

scratch=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2> /dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A test authority and a certificate it signs for 127.0.0.1.
(
  cd "$scratch"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Nimbrell test authority" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    -keyout ca.key -out nimbrell-test-ca.crt
  openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr
  printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > server.ext
  openssl x509 -req -in server.csr -CA nimbrell-test-ca.crt -CAkey ca.key -CAcreateserial -days 2 \
    -extfile server.ext -out server.crt
) 2> "$scratch/openssl.log" || { cat "$scratch/openssl.log" >&2; fail "could not make the test certificates"; }

# The forecast server: any GET gets a stored forecast; every request is logged.
# The root shares this machine's network, so it reaches the server on loopback.
cat > "$scratch/server.py" << 'EOF'
import http.server, ssl, sys

body = open(sys.argv[1], "rb").read()
log = open(sys.argv[2], "a", buffering=1)


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        log.write(self.path + "\n")
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


httpd = http.server.HTTPServer(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[3], sys.argv[4])
httpd.socket = context.wrap_socket(httpd.socket, server_side=True)
with open(sys.argv[5], "w") as f:
    f.write(str(httpd.server_address[1]))
httpd.serve_forever()
EOF
/usr/bin/python3 "$scratch/server.py" tests/weather/data/forecast-beijing.json "$scratch/requests.log" \
  "$scratch/server.crt" "$scratch/server.key" "$scratch/port.tmp" 2> "$scratch/server.err" &
server=$!
for _ in $(seq 100); do
  [ -s "$scratch/port.tmp" ] && break
  kill -0 "$server" 2> /dev/null || { cat "$scratch/server.err" >&2; fail "the forecast server did not start"; }
  sleep 0.1
done
port=$(cat "$scratch/port.tmp")

# What runs inside the root, after the package is installed.
cat > "$scratch/inside.sh" << 'EOF'
set -eu
port=$1
fail() { echo "inside the root: $*" >&2; exit 1; }
command -v nimbrell > /dev/null || fail "no nimbrell after installing the package"
version=$(dpkg-query -W -f='${Version}' nimbrell)
nimbrell --version | grep -q "^nimbrell $version (build [0-9]*)$" || fail "nimbrell --version does not say $version"
cd /tmp
export HOME=/tmp/home
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"

XDG_CONFIG_HOME=/tmp/demo/config XDG_CACHE_HOME=/tmp/demo/cache timeout 120 nimbrell --demo --update-host 127.0.0.1:1 --render /tmp/widget.png > /tmp/demo.log 2>&1 \
  || { cat /tmp/demo.log >&2; fail "--render from the built-in service failed"; }
[ "$(head -c 4 /tmp/widget.png | od -An -tx1 | tr -d ' \n')" = 89504e47 ] || fail "--render wrote no PNG"

fetch() {
  rm -rf "/tmp/$1"
  XDG_CONFIG_HOME=/tmp/$1/config XDG_CACHE_HOME=/tmp/$1/cache timeout 120 nimbrell \
    --forecast-url "https://127.0.0.1:$port/v1/forecast" \
    --air-quality-url "https://127.0.0.1:$port/v1/air-quality" \
    --update-host 127.0.0.1:1 --render "/tmp/$1.png" > "/tmp/$1.log" 2>&1 \
    || { cat "/tmp/$1.log" >&2; fail "--render with the HTTPS forecast failed"; }
}
fetch unknown-authority
[ ! -e /tmp/unknown-authority/cache/nimbrell/keptForecast.txt ] \
  || fail "a forecast was taken from a server whose certificate no known authority signed"

mkdir -p /usr/local/share/ca-certificates
cp /tmp/nimbrell-test-ca.crt /usr/local/share/ca-certificates/
update-ca-certificates > /dev/null
fetch known-authority
[ -s /tmp/known-authority/cache/nimbrell/keptForecast.txt ] || {
  cat /tmp/known-authority.log >&2
  fail "no forecast was fetched over HTTPS after the test authority was added"
}
echo "inside the root: nimbrell $version installed alone, rendered, and fetched over HTTPS"
EOF

# Under its own name, whatever the file is called here: apt takes only *.deb.
name="nimbrell_$(dpkg-deb -f "$deb" Version)_$(dpkg-deb -f "$deb" Architecture).deb"
cp "$deb" "$scratch/$name"
# mmdebstrap runs each hook with the root's path as $1, /proc, /sys and /dev mounted.
nice -n 10 mmdebstrap --mode=root --variant=minbase \
  --customize-hook="cp '$scratch/$name' '$scratch/inside.sh' '$scratch/nimbrell-test-ca.crt' \"\$1/tmp/\"" \
  --customize-hook='chroot "$1" sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ./nimbrell_*.deb"' \
  --customize-hook="chroot \"\$1\" sh /tmp/inside.sh $port" \
  --customize-hook="cp \"\$1\"/tmp/*.png \"\$1\"/tmp/*.log '$out/'" \
  --customize-hook="chroot \"\$1\" dpkg-query -W > '$out/packages.txt'" \
  bookworm "$scratch/root" > "$out/mmdebstrap.log" 2>&1 \
  || { tail -40 "$out/mmdebstrap.log" >&2; fail "the clean install failed (whole log: $out/mmdebstrap.log)"; }

# The refused handshake ends before a request; the accepted one asks for the forecast.
grep -q "^/v1/forecast?latitude=" "$scratch/requests.log" || fail "the forecast server got no request"
grep "^inside the root:" "$out/mmdebstrap.log" >&2
echo "test-clean-install.sh: $(basename "$deb") installs alone into a minimal root ($(wc -l < "$out/packages.txt")" \
  "packages, listed in $out/packages.txt), renders and fetches over HTTPS" >&2
