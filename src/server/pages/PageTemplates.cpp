#include "server/pages/PageTemplates.h"

const char* const kLayoutTemplate = R"(<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{{title}} — VORL Analyser</title>
<link rel="stylesheet" href="/static/vorl.css">
</head>
<body>
<header class="top">
<a class="brand" href="/">VORL Analyser</a>
{{#signed_in}}
<nav aria-label="Navigation principale"><a href="/">Vue d'ensemble</a> <a href="/rapports">Rapports</a></nav>
<form class="logout" method="post" action="/deconnexion">
<input type="hidden" name="csrf" value="{{csrf}}">
<span class="who">{{user}}</span> <button type="submit">Se déconnecter</button>
</form>
{{/signed_in}}
</header>
<main>
<h1>{{title}}</h1>
{{{content}}}
</main>
</body>
</html>
)";

const char* const kMessageTemplate = R"(<p class="message">{{message}}</p>
<p><a href="/">Retour à la vue d'ensemble</a></p>
)";

const char* const kLoginTemplate = R"({{#error}}<p class="error" role="alert">{{error}}</p>{{/error}}
<form class="login" method="post" action="/connexion">
<input type="hidden" name="csrf" value="{{csrf}}">
<input type="hidden" name="suite" value="{{next}}">
<label for="user">Utilisateur</label>
<input id="user" name="user" autocomplete="username" required autofocus value="{{user}}">
<label for="password">Mot de passe</label>
<input id="password" name="password" type="password" autocomplete="current-password" required>
<button type="submit">Se connecter</button>
</form>
)";

const char* const kOverviewTemplate =
    R"({{#empty}}<p>Aucun lieu ni appareil à afficher pour ce compte.</p>{{/empty}}
{{^empty}}
<p class="legend">Les plus urgents d'abord : téléchargement en retard, puis épisodes de dépassement (certains, puis possibles) sur les 30 dernières nuits.
Âge du dernier téléchargement : <span class="late">plus de 6 jours</span>, <span class="overdue">plus de 10 jours</span>.</p>
<div class="table-wrap">
<table class="overview">
<thead><tr><th scope="col">Lieu</th><th scope="col">Dernier téléchargement</th><th scope="col">30 dernières nuits</th><th scope="col">Épisodes de dépassement</th></tr></thead>
<tbody>
{{#rows}}
<tr>
<td><a href="{{link}}">{{name}}</a>{{#devices}}<div class="sub">{{devices}}</div>{{/devices}}</td>
<td class="{{age_class}}">{{last}}<div class="sub">{{age}}</div></td>
<td>{{{strip}}}</td>
<td class="num">{{exceeded}}</td>
</tr>
{{/rows}}
</tbody>
</table>
</div>
{{/empty}}
)";

namespace {
// The nights of a period, shared by the device and venue pages: the period's form, a row per night (with
// its device when with_device) and the links to the period's report.
const char* const kPeriodNights = R"(<h2>Nuits du {{from_text}} au {{to_text}}</h2>
<form class="period" method="get" action="{{self}}">
<label>Du <input type="date" name="du" value="{{from}}"></label>
<label>Au <input type="date" name="au" value="{{to}}"></label>
<button type="submit">Afficher</button>
</form>
{{#problem}}<p class="error">{{problem}}</p>{{/problem}}
<p>{{limit}}</p>
{{#nights_note}}<p class="legend">{{nights_note}}</p>{{/nights_note}}
<div class="table-wrap">
<table>
<thead><tr><th scope="col">Nuit</th>{{#with_device}}<th scope="col">Appareil</th>{{/with_device}}<th scope="col">Verdict</th><th scope="col">Borne haute max.</th><th scope="col">Borne basse max.</th><th scope="col">Épisodes</th><th scope="col">Minutes non enregistrées</th></tr></thead>
<tbody>
{{#nights}}
<tr><td><a href="{{link}}">{{day}}</a></td>{{#with_device}}<td>{{device}}</td>{{/with_device}}<td><svg width="12" height="12" aria-hidden="true"><rect width="12" height="12" fill="{{colour}}"/></svg> {{verdict}}</td><td class="num">{{upper}}</td><td class="num">{{lower}}</td><td class="num">{{episodes}}</td><td class="num">{{unknown}}</td></tr>
{{/nights}}
</tbody>
</table>
</div>
{{^problem}}<p class="downloads-links">{{formats_label}} : {{#formats}}<a href="{{href}}">{{label}}</a> {{/formats}}</p>{{/problem}}
)";
} // namespace

const std::string kDeviceTemplate =
    R"(<p class="sub">Appareil {{serial}} (génération {{generation}}){{#venue}} — {{venue}}{{/venue}}. {{since}}</p>
<section>
<h2>Couverture</h2>
{{{calendar}}}
<p class="legend">{{#legend}}<span class="chip"><svg width="12" height="12" aria-hidden="true"><rect width="12" height="12" fill="{{colour}}"/></svg> {{label}}</span> {{/legend}}</p>
</section>
<section>
)" + std::string(kPeriodNights) +
    R"(</section>
<section>
<h2>Statistiques de la période</h2>
{{#stats}}<pre class="stats">{{text}}</pre>{{/stats}}
{{^stats}}<p>Aucun niveau enregistré sur la période.</p>{{/stats}}
</section>
<section>
<h2>Téléchargements</h2>
<div class="table-wrap">
<table>
<thead><tr><th scope="col">N°</th><th scope="col">Transfert</th><th scope="col">Couvre</th><th scope="col">Enregistrements</th><th scope="col">SHA-256 de l'original</th><th scope="col">Original</th></tr></thead>
<tbody>
{{#downloads}}
<tr><td class="num">{{id}}</td><td>{{transfer}}</td><td>{{covers}}</td><td class="num">{{counts}}</td><td><code class="hash">{{sha256}}</code></td><td><a href="{{href}}" download>.qlv</a></td></tr>
{{/downloads}}
</tbody>
</table>
</div>
</section>
)";

const std::string kVenueTemplate =
    R"(<section>
<h2>Appareils</h2>
{{#no_device}}<p>Aucun appareil n'est attaché à ce lieu.</p>{{/no_device}}
{{^no_device}}
<div class="table-wrap">
<table>
<thead><tr><th scope="col">Appareil</th><th scope="col">Du</th><th scope="col">Au</th></tr></thead>
<tbody>
{{#devices}}<tr><td><a href="{{link}}">{{serial}}</a></td><td>{{from}}</td><td>{{to}}</td></tr>
{{/devices}}
</tbody>
</table>
</div>
{{/no_device}}
</section>
<section>
)" + std::string(kPeriodNights) +
    R"(</section>
)";

const char* const kNightTemplate =
    R"(<p class="sub"><a href="{{device_link}}">Appareil {{serial}}</a> — {{limit}}</p>
<p><strong>{{verdict}}</strong> — borne haute max. {{upper}}, borne basse max. {{lower}}.</p>
<figure class="band"><img src="{{svg}}" alt="Bande des bornes de chaque fenêtre de la nuit, avec la limite et les épisodes de dépassement" width="960" height="420"></figure>
<section>
<h2>Épisodes de dépassement</h2>
{{#episodes}}<ul>{{#items}}<li>{{.}}</li>{{/items}}</ul>{{/episodes}}
{{^episodes}}<p>Aucun épisode.</p>{{/episodes}}
</section>
<section>
<h2>Événements</h2>
{{#events}}<ul>{{#items}}<li>{{.}}</li>{{/items}}</ul>{{/events}}
{{^events}}<p>Aucun événement.</p>{{/events}}
</section>
<p><a href="{{previous}}">« Nuit précédente</a> · <a href="{{next}}">Nuit suivante »</a></p>
)";

const char* const kReportsTemplate = R"(<form class="report" method="get" action="/rapports/telecharger">
<label for="device">Lieu ou appareil</label>
<select id="device" name="appareil" required>
{{#has_venues}}<optgroup label="Lieux : chaque nuit sur l'appareil du lieu ce jour-là">
{{#venues}}<option value="lieu-{{id}}">{{label}}</option>{{/venues}}
</optgroup>{{/has_venues}}
<optgroup label="Appareils">
{{#devices}}<option value="{{id}}">{{label}}</option>{{/devices}}
</optgroup>
</select>
<label for="from">Première nuit</label>
<input id="from" type="date" name="from" value="{{from}}" required>
<label for="to">Dernière nuit</label>
<input id="to" type="date" name="to" value="{{to}}" required>
<label for="preset">Limite</label>
<select id="preset" name="preset">
{{#presets}}<option value="{{key}}">{{name}}</option>{{/presets}}
</select>
<label for="format">Format</label>
<select id="format" name="format">
<option value="pdf">PDF</option><option value="csv">CSV</option><option value="json">JSON</option><option value="text">Texte</option>
</select>
<button type="submit">Télécharger le rapport</button>
</form>
<h2>Exporter les enregistrements</h2>
<form class="report" method="get" action="/rapports/telecharger">
<label for="export-device">Appareil</label>
<select id="export-device" name="appareil" required>
{{#devices}}<option value="{{id}}">{{label}}</option>{{/devices}}
</select>
<label for="export-from">Premier jour</label>
<input id="export-from" type="date" name="from" value="{{from}}" required>
<label for="export-to">Dernier jour</label>
<input id="export-to" type="date" name="to" value="{{to}}" required>
<label for="what">Données</label>
<select id="what" name="what">
<option value="levels">Niveaux Leq</option><option value="events">Événements</option><option value="params">Paramètres</option>
</select>
<label for="export-format">Format</label>
<select id="export-format" name="format">
<option value="csv">CSV</option><option value="json">JSON</option>
</select>
<button type="submit">Exporter</button>
</form>
)";

const char* const kStyleSheet =
    R"(:root { color-scheme: light; --ink: #1f2933; --muted: #52606d; --line: #d9e2ec; --accent: #1565c0; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.45 "DejaVu Sans", system-ui, sans-serif; color: var(--ink); background: #f7f9fb; }
header.top { display: flex; flex-wrap: wrap; gap: .5rem 1.25rem; align-items: center; padding: .6rem 1rem; background: #102a43; color: #fff; }
header.top a { color: #fff; text-decoration: none; }
header.top nav a { margin-right: 1rem; }
.brand { font-weight: bold; }
.logout { margin-left: auto; display: flex; gap: .5rem; align-items: center; }
main { max-width: 1100px; margin: 0 auto; padding: 1rem; }
h1 { font-size: 1.4rem; margin: .25rem 0 1rem; }
h2 { font-size: 1.1rem; margin-top: 1.75rem; }
a { color: var(--accent); }
.sub { color: var(--muted); font-size: .9rem; }
.table-wrap { overflow-x: auto; }
table { border-collapse: collapse; width: 100%; background: #fff; }
th, td { text-align: left; padding: .4rem .5rem; border-bottom: 1px solid var(--line); vertical-align: top; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
.late { color: #e65100; font-weight: bold; }
.overdue { color: #c62828; font-weight: bold; }
.error { color: #c62828; }
.hash { font-size: .75rem; word-break: break-all; }
form.login, form.report { display: grid; gap: .4rem; max-width: 22rem; }
form.period { display: flex; flex-wrap: wrap; gap: .5rem; align-items: end; }
input, select, button { font: inherit; padding: .35rem .5rem; }
button { background: var(--accent); color: #fff; border: 0; border-radius: 4px; cursor: pointer; }
button:focus-visible, a:focus-visible, input:focus-visible, select:focus-visible { outline: 3px solid #f9a825; outline-offset: 2px; }
figure.band img, svg.calendar { max-width: 100%; height: auto; background: #fff; }
pre.stats { background: #fff; padding: .75rem; border: 1px solid var(--line); white-space: pre-wrap; font-size: .85rem; }
.chip { white-space: nowrap; margin-right: .75rem; }
@media (max-width: 600px) { th, td { padding: .3rem; font-size: .9rem; } .logout { margin-left: 0; } }
)";
