# tarnwick messages: English (United States)
# The reference set of message keys; every other language uses the same keys.
# Format: one "key = value" per line; "#" starts a comment line.

# locale
locale.native_name = English

# brand
brand.name = Ostravel
brand.login = Login

# menu
menu.main.title = Console
menu.main = Main menu
menu.list.title = Menu
menu.power = Power
menu.power.title = Power & log out
menu.network = Network
menu.network.title = Network
menu.network.edit = Edit network settings
menu.help = ↑↓ Move   Enter Select   Esc/q Back   ? Help   F1 Diagnostics

# panel
panel.status = Status

# action
action.shell = Open shell
action.sysinfo = System information
action.network = Network configuration
action.power = Power & log out
action.power_off = Power off
action.reboot = Reboot
action.logout = Log out
action.back = Back
action.view = View
action.edit = Edit
action.make_static = Make static
action.ipv4_dhcp = Use DHCP for IPv4
action.ipv4_static = Static IPv4
action.ipv6_slaac = Use SLAAC for IPv6
action.ipv6_static = Static IPv6
action.apply = Apply
action.save = Save

# form
form.mode.view = View
form.mode.edit = Edit
form.editing = Editing — F2 save, Esc cancel
form.edit_cancelled = Edit cancelled
form.help.view = ↑↓ Move   e Edit   Esc/q Back
form.help.edit = Tab Next field   ←→ Change   F2 Save   Esc Cancel
form.help.view_only = View only   ↑↓ Scroll   Esc/q Back
form.footer = Ostravel · Network configuration
form.section.identity = Identity
form.section.ipv4 = IPv4
form.section.ipv6 = IPv6
form.section.host = Host
form.field.interface = Interface
form.field.status = Status
form.field.mac = MAC address
form.field.ipv4_mode = IPv4 mode
form.field.ipv4_address = IPv4 address
form.field.ipv4_netmask = Netmask
form.field.ipv4_gateway = Gateway
form.field.ipv6_mode = IPv6 mode
form.field.ipv6_address = IPv6 address
form.field.ipv6_prefix = Prefix length
form.field.ipv6_gateway = Gateway
form.field.live_addrs = Live addresses
form.field.dns = DNS servers
form.field.hostname = Hostname
form.applied = Changes applied
form.apply_failed = Apply failed
form.apply_denied = Not authorized to change network configuration

# login
login.title = Login
login.user = User
login.password = Password
login.language = Language
login.users_list = Users
login.user_other = Other user…
login.user_type = type a user name
login.languages_list = Languages
login.attempts = Attempts
login.help = ↑ user list  ↓/Space pick  type password  Tab  Enter login  F1 diagnostics
login.sign_in_prompt = Please sign in
login.panel_hint = Tab next field   Enter sign in
login.welcome.title = Welcome to Ostravel
login.welcome.body = Sign in with a console account on the right. Operators can customize this panel via /usr/local/etc/tarnwick/welcome.md
login.section.credentials = Credentials
login.section.locale = Language
login.auth_failed = Authentication failed
login.error.title = Sign-in failed
login.error.ok = OK
login.error.dismiss = Enter or Esc to continue
login.error.attempts_left = Attempts remaining: {n}
login.error.no_attempts = No attempts remaining
login.error.bad_credentials = The username or password is incorrect.
login.error.account_denied = This account is not allowed to sign in from the console.
login.error.session = The session could not be started. Contact a system administrator.
login.error.generic = Sign-in could not be completed.
login.error.tried_as = Tried as: {user}
login.error.pam_account = System account: {user}
login.error.password_len = Password length received: {n} character(s)
login.error.empty_password = No password was entered (length 0).
login.error.detail_label = Technical detail:

# diag
diag.title = Console diagnostics
diag.subtitle = Last stderr / console messages (no login required)
diag.help = ↑↓ scroll   PgUp/PgDn   End newest   Esc/q/F1 close
diag.section.meta = Console log
diag.field.path = Log file
diag.field.line_count = Lines in ring
diag.field.ring_max = Ring capacity

# session
session.welcome = Welcome, {user}
session.user = Signed in as {user}
session.help = ↑↓ Move   Enter Select   Esc/q Log out   ? Help   F1 Diagnostics
session.help_title = Help
session.unknown_action = Unknown action: {id}
session.shell_error = Shell error: {error}
session.shell_return = Shell session ended
session.shutdown_requested = Power off requested
session.reboot_requested = Reboot requested
session.shutdown_failed = Shutdown failed: {error}
session.no_action = Nothing to do for this entry

# confirm
confirm.title = Confirm
confirm.yes = Yes
confirm.no = No
confirm.power_off = Power off this machine now?
confirm.reboot = Reboot this machine now?
confirm.make_static = Save the live addresses of {interface} as its static configuration?
confirm.iface_down_last = {interface} carries the last default route. Taking it down may cut off remote access. Continue?

# prompt
prompt.ok_cancel = Enter OK   Esc Cancel
prompt.ipv4_address = IPv4 address (for example 192.0.2.10)
prompt.ipv4_netmask = Netmask (for example 255.255.255.0)
prompt.ipv4_gateway = IPv4 gateway (empty for none)
prompt.ipv6_address = IPv6 address (for example 2001:db8::10)
prompt.ipv6_prefix = Prefix length (for example 64)
prompt.ipv6_gateway = IPv6 gateway (empty for none)

# info
info.system = System information
info.network = Network configuration
info.hostname = Hostname
info.user = User
info.pam_user = System account
info.tty = Terminal
info.locale = Language
info.os = Operating system
info.os_version = OS version
info.arch = Architecture
info.kernel = Kernel
info.addresses = Addresses
info.no_addresses = No addresses
info.uptime = Uptime
info.load_avg = Load average
info.section.hardware = Hardware
info.cpu_model = CPU model
info.cpu_cores = CPU cores
info.memory = System memory
info.section.host = Host
info.section.platform = Platform
info.section.session = Session
info.section.addresses = Addresses

# result
result.title = Result
result.success = Succeeded
result.summary = Summary
result.no_details = No details
result.section.outcome = Outcome
result.section.details = Details

# net
net.section.host = Host
net.section.general = General
net.section.interfaces = Interfaces
net.section.gateways = Gateways
net.section.routes_v4 = IPv4 routes
net.section.routes_v6 = IPv6 routes
net.section.dns = DNS
net.field.default_v4 = IPv4 default gateway
net.field.default_v6 = IPv6 default gateway
net.field.search = Search domains
net.field.iface_count = Interfaces
net.field.active = Active
net.field.ipv6_status = IPv6 status
net.tab.ipv4 = IPv4
net.tab.ipv6 = IPv6
net.addr.global = Global addresses
net.addr.ula = Unique local
net.addr.link_local = Link-local
net.ipv6.status.slaac_active = SLAAC active
net.ipv6.status.slaac_waiting = SLAAC waiting for a router
net.ipv6.status.static = Static address
net.ipv6.status.disabled = IPv6 disabled
net.help.view = ↑↓ Interface   1/2 Tab   e Edit   m Make static   Esc/q Back
net.help.edit = Tab Next   ←→ Change   Space Toggle   F2 Apply   F3 Make static   Esc Cancel
net.none = No network interfaces found
net.no_addresses = No addresses
net.no_nameservers = none configured
net.mode.dhcp = DHCP
net.mode.static = Static
net.mode.slaac = SLAAC
net.mode.disabled = Disabled
net.mode.unknown = Unknown
net.link_local = Link-local only
net.more_routes = … {n} more
