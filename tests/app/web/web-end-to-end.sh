#!/usr/bin/env bash
# The web service end to end: vek headless serves a base whose commands start the service on a loopback
# port; lighttpd on loopback runs the gateway vek-cgi under CGI; curl with a cookie jar is the browser.
# Prints "N passed, N failed"; exits 77 (skipped) when lighttpd or curl is missing.
#
# Arguments: the vek program, the vek-cgi program, the gateway's assets folder, the fixture base.
set -u
vek=$1 gateway=$2 assets=$3 fixture=$4

command -v lighttpd >/dev/null 2>&1 || PATH=$PATH:/usr/sbin
if ! command -v lighttpd >/dev/null 2>&1 || ! command -v curl >/dev/null 2>&1; then
    echo "lighttpd or curl is not installed: skipped"
    exit 77
fi

work=$(mktemp -d)
vekPid=""
webPid=""
cleanup() {
    [ -n "$webPid" ] && kill "$webPid" 2>/dev/null
    [ -n "$vekPid" ] && kill "$vekPid" 2>/dev/null
    [ -n "$vekPid" ] && wait "$vekPid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A port nobody listens on: the shell's /dev/tcp connects only where someone does. Below the system's
# ephemeral ports, which the other tests' connections may hold at any moment.
lowestEphemeral=$(cut -f1 /proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || echo 32768)
[ "$lowestEphemeral" -gt 12000 ] || lowestEphemeral=32768
free_port() {
    while :; do
        p=$(( 10000 + $(od -An -N2 -tu2 /dev/urandom) % (lowestEphemeral - 10000) ))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
            echo "$p"
            return
        fi
    done
}
servicePort=$(free_port)
webPort=$(free_port)
while [ "$webPort" = "$servicePort" ]; do webPort=$(free_port); done

# The served base: the fixture with commands that start the service.
sed "s/^##End\$/##Commands\nwebvekserver -start -port $servicePort\n\n##End/" "$fixture" > "$work/shop.vkx"
mkdir -p "$work/home" "$work/www"
HOME="$work/home" XDG_CONFIG_HOME="" "$vek" --headless "$work/shop.vkx" > "$work/vek.log" 2>&1 &
vekPid=$!

cp "$assets/vek.css" "$work/www/"
cp -r "$assets/images" "$work/www/"
ln -s "$gateway" "$work/www/vek.cgi"
cat > "$work/lighttpd.conf" <<EOF
server.document-root = "$work/www"
server.bind = "127.0.0.1"
server.port = $webPort
server.errorlog = "$work/lighttpd.log"
server.modules = ("mod_cgi", "mod_setenv")
cgi.assign = (".cgi" => "")
setenv.add-environment = ("VEK_PORT" => "$servicePort")
mimetype.assign = (".css" => "text/css", ".gif" => "image/gif", ".ico" => "image/x-icon")
EOF
lighttpd -D -f "$work/lighttpd.conf" > "$work/lighttpd.out" 2>&1 &
webPid=$!

# Both listening before the first request.
tries=0
until (exec 3<>"/dev/tcp/127.0.0.1/$servicePort") 2>/dev/null && (exec 3<>"/dev/tcp/127.0.0.1/$webPort") 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 300 ]; then
        echo "the service or the web server did not start"
        cat "$work/vek.log" "$work/lighttpd.out" "$work/lighttpd.log" 2>/dev/null
        echo "0 passed, 1 failed"
        exit 1
    fi
    sleep 0.1
done

site="http://127.0.0.1:$webPort/vek.cgi"
jar="$work/jar"
passed=0
failed=0
check() {  # name, then the command that must succeed
    name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
    fi
}
has() { grep -q -- "$2" "$1"; }
lacks() { ! grep -q -- "$2" "$1"; }
get() { curl -s -S -D "$work/headers" -c "$jar" -b "$jar" "$site?$1" -o "$work/page"; }
post() { curl -s -S -D "$work/headers" -c "$jar" -b "$jar" --data "$1" "$site" -o "$work/page"; }

get ""
check "the menu page lists the open base" has "$work/page" "shop.vkx"
check "the gateway sets an HttpOnly SameSite=Lax cookie of 128 bits" \
    grep -Eqi '^Set-Cookie: vekid=[0-9a-f]{32}; Path=/; HttpOnly; SameSite=Lax' "$work/headers"
code=$(grep -o 'templates=[^"&]*' "$work/page" | head -n 1 | cut -d= -f2)
check "the base has a link code" test -n "$code"

get "templates=$code"
check "the base's menu shows the login form" has "$work/page" 'name="loginform"'

post "username=anna&password=secret&base=$code&action=Login"
check "a wrong password redirects to the asked page" has "$work/page" "url=/vek.cgi?templates=$code"
get "templates=$code"
check "after a wrong password the login form shows again" has "$work/page" 'name="loginform"'

post "username=anna&password=Secret&base=$code&action=Login"
check "the right password redirects" has "$work/page" "http-equiv=refresh content=\"0; url=/vek.cgi?templates=$code\""
get "templates=$code"
check "logged in, the menu shows the templates" has "$work/page" ">Top cards</a>"
check "logged in, no login form" lacks "$work/page" 'loginform'

curl -s -b "vekid=0123456789abcdef0123456789abcdef" "$site?templates=$code" -o "$work/forged"
check "a forged cookie gets nothing of the base" lacks "$work/forged" ">Top cards</a>"
curl -s -D "$work/forged-headers" -b "vekid=../../etc" "$site?templates=$code" -o "$work/forged"
check "a malformed cookie is replaced by a new id" grep -Eqi '^Set-Cookie: vekid=[0-9a-f]{32}' "$work/forged-headers"
check "a malformed cookie gets the login form" has "$work/forged" 'name="loginform"'

get "logout=$code"
get "templates=$code"
check "after logout the pages ask for the login again" has "$work/page" 'name="loginform"'

status=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$webPort/vek.css")
check "the stylesheet is served beside the gateway" test "$status" = 200

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
